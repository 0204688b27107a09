#pragma once
// Plays one FastTracker 2 module at a time through the default wave output
// device, from a mixing thread of the player's own. Called from the
// user-interface thread only.

#include <cstdint>

// Stops whatever plays (as StopModule), then plays the XM image from its
// first order; at the end of the order list a looping song goes on at its
// restart position, another one falls silent. False when length <= 0 (and
// then nothing else happens), or when the device, the module, memory or the
// thread fail: then nothing is held and nothing is shown.
bool PlayModule(const uint8_t* image, int32_t length, bool looping);

// Stops the mixing thread and waits for it, then resets and closes the
// device and releases the song. Does nothing when nothing plays.
void StopModule();
