#pragma once
// From score text to XM bytes: synthesises every instrument's sample, then
// sets the length of the score's fit instrument so the file comes out at
// exactly the size the score asks for.

#include <cstdint>
#include <string>
#include <vector>

namespace songmaker {

// Throws std::runtime_error when the score is wrong or the size cannot be met.
std::vector<uint8_t> MakeSong(const std::string& scoreText);

}  // namespace songmaker
