#pragma once
// The list box operations the window list rests on: each one or two
// SendMessageA calls. Positions are 0-based; item values are 32-bit.

#include <windows.h>

#include <cstdint>

#include "app/Text.h"

// LB_RESETCONTENT: no entries and no selection afterwards.
void ClearListBox(HWND listBox);
// Puts an entry at exactly that position and stores its item value.
// Returns the entry's position, or -1 for a negative position or an entry
// the list box refused.
int32_t InsertListEntry(HWND listBox, int32_t position, const Text& text, int32_t itemValue = 0);
// False when the list box had no entry there.
bool DeleteListEntry(HWND listBox, int32_t position);
// The item value at a position; -1 when the position holds no entry.
int32_t ListItemValue(HWND listBox, int32_t position);
// Position of the selected entry, -1 when none is selected.
int32_t ListSelection(HWND listBox);
