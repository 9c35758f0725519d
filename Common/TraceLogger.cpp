#include "TraceLogger.h"

#include "ResultCode.h"
#include "TextHelpers.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr UCHAR kDefaultEnableLevel = TRACE_LEVEL_WARNING;
constexpr size_t kRecordAreaBytes = 2128;  // header, two fixed fields and 1024 units
constexpr size_t kTextOffset = 80;
constexpr size_t kLongTextOffset = 82;
constexpr ULONG kInvalidParameter = 87;
constexpr ULONG kInvalidHandle = 6;

bool IsInvalidLoggerHandle(TRACEHANDLE handle) {
    return handle == static_cast<TRACEHANDLE>(reinterpret_cast<ULONG_PTR>(INVALID_HANDLE_VALUE)) ||
           handle == static_cast<TRACEHANDLE>(-1);
}

void StampLocalTime(BYTE* record) {
    SYSTEMTIME utc = {};
    SYSTEMTIME local = {};
    GetSystemTime(&utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        local = utc;
    }
    memcpy(record + 64, &local, sizeof(local));
}

struct CriticalSectionLock {
    explicit CriticalSectionLock(CRITICAL_SECTION& section) : section_(section) {
        EnterCriticalSection(&section_);
    }
    ~CriticalSectionLock() { LeaveCriticalSection(&section_); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION& section_;
};

}  // namespace

const GUID TraceLogger::kControlGuid = {0x860525DB, 0x77AB, 0x40BE, {0x9D, 0xDC, 0x0E, 0xF0, 0xE2, 0x72, 0x89, 0xA6}};
const GUID TraceLogger::kEventClassGuid = {0x6E5E5CBC, 0x8ACF, 0x4FA6, {0x98, 0xE4, 0x0C, 0x63, 0xA0, 0x75, 0x32, 0x3B}};

const TracePlatform& TracePlatform::System() {
    static const TracePlatform platform = {
        RegisterTraceGuidsW, GetTraceLoggerHandle, GetTraceEnableLevel, TraceEvent, UnregisterTraceGuids,
    };
    return platform;
}

TraceLogger::TraceLogger(const TracePlatform& platform)
    : controlGuid_(kControlGuid), eventClassGuid_(), platform_(&platform) {
    InitializeCriticalSection(&lock_);
    eventClassGuid_ = kEventClassGuid;
    Register();
}

TraceLogger::~TraceLogger() {
    Unregister();
    DeleteCriticalSection(&lock_);
}

void TraceLogger::Register() {
    if (registered_) {
        return;
    }
    TRACE_GUID_REGISTRATION registration = {&eventClassGuid_, nullptr};
    ULONG status = platform_->registerTraceGuids(TraceControlCallback, this, &controlGuid_, 1, &registration,
                                                 nullptr, nullptr, &registrationHandle_);
    if (status == ERROR_SUCCESS) {
        registered_ = 1;
    }
}

void TraceLogger::Unregister() {
    if (registered_ && registrationHandle_ != 0) {
        platform_->unregisterTraceGuids(registrationHandle_);
        registrationHandle_ = 0;
        registered_ = 0;
    }
}

void TraceLogger::Reregister(const TracePlatform& platform) {
    CriticalSectionLock lock(lock_);
    Unregister();
    enabled_ = 0;
    enableLevel_ = 0;
    loggerHandle_ = 0;
    platform_ = &platform;
    Register();
}

TraceLogger& TraceLogger::Instance() {
    static TraceLogger logger(TracePlatform::System());
    return logger;
}

namespace {
// Registers the provider before main, so a controller can enable it early.
TraceLogger& g_registeredAtStartup = TraceLogger::Instance();
// The result-code table is filled at the same time. Nothing looks a text up
// in it, so without this reference the linker would leave it out.
const std::map<int, std::string>& g_resultCodesAtStartup = ResultCodeMessages();
}  // namespace

UCHAR TraceLogger::EnableLevel() {
    CriticalSectionLock lock(lock_);
    return enableLevel_;
}

bool TraceLogger::IsEnabled() {
    CriticalSectionLock lock(lock_);
    return enabled_ != 0;
}

bool TraceLogger::IsRegistered() {
    return registered_ != 0;
}

ULONG WINAPI TraceLogger::TraceControlCallback(WMIDPREQUESTCODE requestCode, PVOID context, ULONG* /*bufferSize*/,
                                               PVOID buffer) {
    if (context == nullptr || buffer == nullptr) {
        return ERROR_SUCCESS;
    }
    return static_cast<TraceLogger*>(context)->OnControl(requestCode, buffer);
}

ULONG TraceLogger::OnControl(WMIDPREQUESTCODE requestCode, PVOID buffer) {
    CriticalSectionLock lock(lock_);
    switch (requestCode) {
    case WMI_ENABLE_EVENTS: {
        loggerHandle_ = platform_->getTraceLoggerHandle(buffer);
        if (IsInvalidLoggerHandle(loggerHandle_)) {
            PrintDiagnostic(L"GetTraceLoggerHandle failed with, %d.\n", static_cast<int>(GetLastError()));
            return ERROR_SUCCESS;
        }
        SetLastError(ERROR_SUCCESS);
        enableLevel_ = platform_->getTraceEnableLevel(loggerHandle_);
        if (enableLevel_ != 0) {
            PrintDiagnostic(L"Tracing enabled for Level %u\n", static_cast<unsigned>(enableLevel_));
            enabled_ = 1;
        } else {
            DWORD error = GetLastError();
            if (error != ERROR_SUCCESS) {
                PrintDiagnostic(L"GetTraceEnableLevel failed with, %d.\n", static_cast<int>(error));
            } else {
                // Enabled without a level: warnings and worse only.
                enableLevel_ = kDefaultEnableLevel;
                PrintDiagnostic(L"Tracing enabled for Level %u\n", static_cast<unsigned>(enableLevel_));
                enabled_ = 1;
            }
        }
        return ERROR_SUCCESS;
    }
    case WMI_DISABLE_EVENTS:
        enabled_ = 0;
        loggerHandle_ = 0;
        return ERROR_SUCCESS;
    default:
        return kInvalidParameter;
    }
}

void TraceLogger::FillHeader(EVENT_TRACE_HEADER* header, UCHAR type, UCHAR level, USHORT size) {
    header->Size = size;
    header->Class.Type = type;
    header->Class.Level = level;
    header->Guid = eventClassGuid_;
    header->Flags = WNODE_FLAG_TRACED_GUID;
}

void TraceLogger::Send(EVENT_TRACE_HEADER* record) {
    ULONG status = platform_->traceEvent(loggerHandle_, record);
    if (status != ERROR_SUCCESS) {
        PrintDiagnostic(L"TraceEvent() event failed, %d\n", static_cast<int>(status));
        if (status == kInvalidHandle) {
            // The controller went away: stay quiet until it enables us again.
            enabled_ = 0;
        }
    }
}

void TraceLogger::WriteText(UCHAR level, const wchar_t* text) {
    CriticalSectionLock lock(lock_);
    if (text == nullptr) {
        return;
    }
    alignas(8) BYTE record[kRecordAreaBytes] = {};
    size_t length = wcsnlen(text, kShortLineUnits - 1);
    FillHeader(reinterpret_cast<EVENT_TRACE_HEADER*>(record), kShortRecordType, level,
               static_cast<USHORT>(2 * length + kTextOffset + 2));
    memcpy(record + sizeof(EVENT_TRACE_HEADER), &controlGuid_, sizeof(GUID));
    StampLocalTime(record);
    memcpy(record + kTextOffset, text, length * sizeof(wchar_t));
    Send(reinterpret_cast<EVENT_TRACE_HEADER*>(record));
}

void TraceLogger::WriteLongLine(UCHAR level, const wchar_t* text, size_t length) {
    CriticalSectionLock lock(lock_);
    const USHORT textBytes = static_cast<USHORT>(2 * length + 2);
    std::unique_ptr<BYTE[]> record(new (std::nothrow) BYTE[textBytes + kRecordAreaBytes]());
    if (!record) {
        return;
    }
    BYTE* data = record.get();
    FillHeader(reinterpret_cast<EVENT_TRACE_HEADER*>(data), kLongRecordType, level,
               static_cast<USHORT>(kLongTextOffset + textBytes));
    memcpy(data + sizeof(EVENT_TRACE_HEADER), &controlGuid_, sizeof(GUID));
    StampLocalTime(data);
    memcpy(data + kTextOffset, &textBytes, sizeof(textBytes));
    memcpy(data + kLongTextOffset, text, textBytes);
    Send(reinterpret_cast<EVENT_TRACE_HEADER*>(data));
}

void TraceLogger::LogV(UCHAR level, const wchar_t* file, const wchar_t* function, unsigned line,
                       const wchar_t* format, va_list args) {
    if (file == nullptr || function == nullptr || format == nullptr || !registered_) {
        return;
    }
    {
        CriticalSectionLock lock(lock_);
        if (!enabled_ || level > enableLevel_) {
            return;
        }
    }

    va_list measure;
    va_copy(measure, args);
    const int messageUnits = _vscwprintf(format, measure);
    va_end(measure);
    // 22 covers the fixed characters, a ten-digit line number and the terminator.
    const long long total = static_cast<long long>(messageUnits) + 22 + static_cast<long long>(wcslen(file)) +
                            static_cast<long long>(wcslen(function));

    if (total < static_cast<long long>(kShortLineUnits)) {
        wchar_t message[kShortLineUnits] = {};
        FormatWideV(message, kShortLineUnits, format, args);
        wchar_t text[kShortLineUnits] = {};
        FormatWide(text, kShortLineUnits, L"[%s - %s - %u] %s", file, function, line, message);
        WriteText(level, text);
        return;
    }

    if (2 * total < static_cast<long long>(kMaxLineBytes)) {
        const size_t units = static_cast<size_t>(total);
        std::unique_ptr<wchar_t[]> message(new (std::nothrow) wchar_t[units]());
        std::unique_ptr<wchar_t[]> text(new (std::nothrow) wchar_t[units]());
        if (!message || !text) {
            return;
        }
        FormatWideV(message.get(), units, format, args);
        FormatWide(text.get(), units, L"[%s - %s - %u] %s", file, function, line, message.get());
        WriteLongLine(level, text.get(), wcslen(text.get()));
        return;
    }

    wchar_t notice[kShortLineUnits] = {};
    FormatWide(notice, kShortLineUnits, L"[%s - %s - %u] etw logger buffer is bigger than 60k so it is over flow",
               file, function, line);
    WriteText(level, notice);
}

void TraceLog(UCHAR level, const wchar_t* file, const wchar_t* function, unsigned line, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    TraceLogger::Instance().LogV(level, file, function, line, format, args);
    va_end(args);
}

namespace {

// Skips a balanced <...> or (...) group backwards; returns the index before it.
long SkipGroupBackward(const std::string& text, long pos, char open, char close) {
    int depth = 0;
    for (; pos >= 0; --pos) {
        if (text[pos] == close) {
            ++depth;
        } else if (text[pos] == open && --depth == 0) {
            return pos - 1;
        }
    }
    return -1;
}

// Index of the '(' that opens the parameter list, skipping template
// arguments and the parentheses of "operator()".
size_t ParameterListStart(const std::string& text) {
    int angle = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool afterOperator = i >= 8 && text.compare(i - 8, 8, "operator") == 0;
        if (afterOperator && (c == '<' || c == '>' || c == '(')) {
            if (c == '(' && i + 1 < text.size() && text[i + 1] == ')') {
                ++i;
            } else if (c != '(') {
                while (i + 1 < text.size() && (text[i + 1] == '<' || text[i + 1] == '>' || text[i + 1] == '=')) {
                    ++i;
                }
            }
            continue;
        }
        if (c == '<') {
            ++angle;
        } else if (c == '>') {
            --angle;
        } else if (c == '(' && angle == 0) {
            return i;
        }
    }
    return std::string::npos;
}

}  // namespace

std::wstring QualifiedFunctionName(const char* prettyFunction) {
    if (prettyFunction == nullptr) {
        return std::wstring();
    }
    std::string text(prettyFunction);
    size_t with = text.find(" [with ");
    if (with != std::string::npos) {
        text.erase(with);
    }
    size_t open = ParameterListStart(text);
    std::string name = open == std::string::npos ? text : text.substr(0, open);
    // The name starts after the last space outside template arguments.
    long pos = static_cast<long>(name.size()) - 1;
    while (pos >= 0 && name[pos] != ' ') {
        pos = name[pos] == '>' ? SkipGroupBackward(name, pos, '<', '>') : pos - 1;
    }
    name.erase(0, static_cast<size_t>(pos + 1));
    if (open != std::string::npos && text.find("<lambda", open) != std::string::npos) {
        name += "::<lambda>";
    }
    return std::wstring(name.begin(), name.end());
}
