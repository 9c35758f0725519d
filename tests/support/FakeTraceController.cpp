#include "FakeTraceController.h"

#include <cstring>
#include <mutex>

namespace {

struct FakeState {
    std::mutex mutex;
    std::vector<TraceRecord> records;
    size_t sends = 0;
    ULONG sendStatus = ERROR_SUCCESS;
    bool failHandle = false;
    DWORD levelError = ERROR_SUCCESS;
    unsigned char requestedLevel = 0;
    WMIDPREQUEST callback = nullptr;
};

FakeState& State() {
    static FakeState state;
    return state;
}

constexpr TRACEHANDLE kLoggerHandle = 0x1234;

ULONG WINAPI FakeRegister(WMIDPREQUEST callback, PVOID, LPCGUID, ULONG, PTRACE_GUID_REGISTRATION, LPCWSTR, LPCWSTR,
                          PTRACEHANDLE handle) {
    State().callback = callback;
    *handle = 1;
    return ERROR_SUCCESS;
}

TRACEHANDLE WINAPI FakeLoggerHandle(PVOID buffer) {
    if (State().failHandle) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return static_cast<TRACEHANDLE>(reinterpret_cast<ULONG_PTR>(INVALID_HANDLE_VALUE));
    }
    return *static_cast<TRACEHANDLE*>(buffer);
}

UCHAR WINAPI FakeEnableLevel(TRACEHANDLE) {
    if (State().requestedLevel == 0 && State().levelError != ERROR_SUCCESS) {
        SetLastError(State().levelError);
    }
    return State().requestedLevel;
}

ULONG WINAPI FakeTraceEvent(TRACEHANDLE, PEVENT_TRACE_HEADER header) {
    FakeState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    ++state.sends;
    if (state.sendStatus != ERROR_SUCCESS) {
        return state.sendStatus;
    }
    TraceRecord record;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(header);
    record.bytes.assign(bytes, bytes + header->Size);
    record.type = header->Class.Type;
    record.level = header->Class.Level;
    size_t offset = record.type == TraceLogger::kLongRecordType ? 82 : 80;
    if (record.bytes.size() > offset + 2) {
        size_t units = (record.bytes.size() - offset) / 2 - 1;
        record.text.resize(units);
        memcpy(&record.text[0], bytes + offset, units * 2);
    }
    state.records.push_back(record);
    return ERROR_SUCCESS;
}

ULONG WINAPI FakeUnregister(TRACEHANDLE) { return ERROR_SUCCESS; }

const TracePlatform kFakePlatform = {FakeRegister, FakeLoggerHandle, FakeEnableLevel, FakeTraceEvent,
                                     FakeUnregister};

}  // namespace

FakeTraceController::FakeTraceController() {
    FakeState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.records.clear();
    state.sends = 0;
    state.sendStatus = ERROR_SUCCESS;
    state.failHandle = false;
    state.levelError = ERROR_SUCCESS;
    state.requestedLevel = 0;
}

FakeTraceController::~FakeTraceController() = default;

const TracePlatform& FakeTraceController::Platform() const { return kFakePlatform; }

ULONG FakeTraceController::Request(TraceLogger& logger, WMIDPREQUESTCODE code) {
    TRACEHANDLE handle = kLoggerHandle;
    ULONG size = sizeof(handle);
    return TraceLogger::TraceControlCallback(code, &logger, &size, &handle);
}

ULONG FakeTraceController::Enable(TraceLogger& logger, unsigned char level) {
    State().requestedLevel = level;
    return Request(logger, WMI_ENABLE_EVENTS);
}

ULONG FakeTraceController::Disable(TraceLogger& logger) { return Request(logger, WMI_DISABLE_EVENTS); }

void FakeTraceController::FailSendsWith(ULONG status) {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().sendStatus = status;
}

void FakeTraceController::FailHandleQuery(bool fail) { State().failHandle = fail; }

void FakeTraceController::SetEnableLevelError(DWORD error) { State().levelError = error; }

std::vector<TraceRecord> FakeTraceController::Records() const {
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().records;
}

std::vector<std::wstring> FakeTraceController::Lines() const {
    std::vector<std::wstring> lines;
    for (const TraceRecord& record : Records()) {
        lines.push_back(record.text);
    }
    return lines;
}

size_t FakeTraceController::SendCount() const {
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().sends;
}

void FakeTraceController::Clear() {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().records.clear();
    State().sends = 0;
}

TraceCapture::TraceCapture(unsigned char level) {
    TraceLogger::Instance().Reregister(controller_.Platform());
    controller_.Enable(TraceLogger::Instance(), level);
}

TraceCapture::~TraceCapture() {
    TraceLogger::Instance().Reregister(TracePlatform::System());
}

bool TraceCapture::HasMessage(const std::wstring& message) const {
    return CountMessage(message) > 0;
}

size_t TraceCapture::CountMessage(const std::wstring& message) const {
    size_t count = 0;
    for (const std::wstring& line : Lines()) {
        if (TraceMessage(line) == message) {
            ++count;
        }
    }
    return count;
}

std::wstring TraceMessage(const std::wstring& line) {
    size_t end = line.find(L"] ");
    return end == std::wstring::npos ? std::wstring() : line.substr(end + 2);
}

std::wstring TraceFunction(const std::wstring& line) {
    size_t first = line.find(L" - ");
    if (first == std::wstring::npos) {
        return std::wstring();
    }
    size_t second = line.find(L" - ", first + 3);
    return second == std::wstring::npos ? std::wstring() : line.substr(first + 3, second - first - 3);
}
