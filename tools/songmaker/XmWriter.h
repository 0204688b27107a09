#pragma once
// Serialises a module as an XM 1.04 file.

#include "tools/songmaker/XmModule.h"

namespace songmaker {

std::vector<uint8_t> WriteXm(const XmModule& module);

// Bytes WriteXm spends on everything but the samples' data.
int64_t XmSizeWithoutSampleData(const XmModule& module);

}  // namespace songmaker
