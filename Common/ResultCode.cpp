#include "ResultCode.h"

// A function-local constant: filled on first use even when that use comes
// from another file's static initialisation.
const std::map<int, std::string>& ResultCodeMessages() {
    static const std::map<int, std::string> messages = {
        {Ok, "OK"},
        {Failed, "failed"},
        {NotImplementation, "not implementation"},
        {ParamError, "param error"},
        {StateError, "state error"},
        {NotFound, "not found"},
        {MemoryLengthTooSmall, "memory length too small"},
        {CanNotOpenFile, "can not open file"},
    };
    return messages;
}
