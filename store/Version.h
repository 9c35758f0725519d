#pragma once
#include <string_view>

namespace chunkstore {

// A game version is dotted decimal: one to eight numbers of one to nine
// digits each, without leading zeros ("0" itself is fine), such as "1.4.12".
bool IsValidVersion(std::string_view text);

// Orders two valid versions number by number; missing trailing numbers count
// as 0, so "1.2" and "1.2.0" are the same version. Negative, 0 or positive
// as `a` is older than, the same as or newer than `b`.
int CompareVersions(std::string_view a, std::string_view b);

}  // namespace chunkstore
