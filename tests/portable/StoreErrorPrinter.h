#pragma once
#include "StoreError.h"

#include <ostream>

namespace chunkstore {

// GoogleTest prints refusals by name instead of as raw bytes.
inline void PrintTo(StoreError error, std::ostream* out) { *out << StoreErrorText(error); }

}  // namespace chunkstore
