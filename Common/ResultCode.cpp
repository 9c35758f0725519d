#include "ResultCode.h"

namespace {
const std::map<int, std::string> kMessages = {
    {Ok, "OK"},
    {Failed, "failed"},
    {NotImplementation, "not implementation"},
    {ParamError, "param error"},
    {StateError, "state error"},
    {NotFound, "not found"},
    {MemoryLengthTooSmall, "memory length too small"},
    {CanNotOpenFile, "can not open file"},
};
}  // namespace

const std::map<int, std::string>& ResultCodeMessages() {
    return kMessages;
}
