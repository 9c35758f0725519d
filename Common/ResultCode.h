#pragma once
#include <map>
#include <string>

// Small result codes shared by the core; the HTTP request client reports Ok or Failed.
enum ResultCode : int {
    Ok = 0,
    Failed = 1,
    NotImplementation = 2,
    ParamError = 3,
    StateError = 4,
    NotFound = 5,
    MemoryLengthTooSmall = 6,
    CanNotOpenFile = 7,
};

// The fixed message of each code, filled during static initialisation (with
// the trace provider's registration) and never changed afterwards.
const std::map<int, std::string>& ResultCodeMessages();
