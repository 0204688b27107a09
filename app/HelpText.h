#pragma once
// The help box's text and caption, in code page 936.

#include "app/Text.h"

extern const Text HelpText;
extern const Text HelpCaption;
