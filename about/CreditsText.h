#pragma once
// The three credit lines the About window types, joined by "|".

#include "app/Text.h"

extern const Text CreditsText;
