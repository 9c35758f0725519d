#pragma once
#include "Platform.h"

#include <evntrace.h>

#include <cstdarg>
#include <string>

// The event-tracing calls the logger makes. The product uses System(); tests
// hand a logger their own table to play the trace controller.
struct TracePlatform {
    ULONG(WINAPI* registerTraceGuids)(WMIDPREQUEST, PVOID, LPCGUID, ULONG, PTRACE_GUID_REGISTRATION, LPCWSTR,
                                      LPCWSTR, PTRACEHANDLE);
    TRACEHANDLE(WINAPI* getTraceLoggerHandle)(PVOID);
    UCHAR(WINAPI* getTraceEnableLevel)(TRACEHANDLE);
    ULONG(WINAPI* traceEvent)(TRACEHANDLE, PEVENT_TRACE_HEADER);
    ULONG(WINAPI* unregisterTraceGuids)(TRACEHANDLE);

    static const TracePlatform& System();
};

// A classic event-tracing provider: lines reach a consumer only while an
// outside controller has enabled it at a level that admits them.
class TraceLogger {
public:
    static constexpr size_t kShortLineUnits = 1024;
    static constexpr size_t kMaxLineBytes = 61440;
    static constexpr UCHAR kShortRecordType = 20;
    static constexpr UCHAR kLongRecordType = 21;

    // Registers the provider with the platform.
    explicit TraceLogger(const TracePlatform& platform);
    ~TraceLogger();
    TraceLogger(const TraceLogger&) = delete;
    TraceLogger& operator=(const TraceLogger&) = delete;

    // The process-wide logger, registered during static initialisation.
    static TraceLogger& Instance();

    // Unregisters from the current platform and registers with `platform`;
    // lets a test play the trace controller for the process-wide logger.
    void Reregister(const TracePlatform& platform);

    void LogV(UCHAR level, const wchar_t* file, const wchar_t* function, unsigned line, const wchar_t* format,
              va_list args);
    // Writes a finished line of at most 1023 units as a short record.
    void WriteText(UCHAR level, const wchar_t* text);

    static ULONG WINAPI TraceControlCallback(WMIDPREQUESTCODE requestCode, PVOID context, ULONG* bufferSize,
                                             PVOID buffer);

    static const GUID kControlGuid;
    static const GUID kEventClassGuid;

    UCHAR EnableLevel();
    bool IsEnabled();
    bool IsRegistered();

private:
    void Register();
    void Unregister();
    ULONG OnControl(WMIDPREQUESTCODE requestCode, PVOID buffer);
    void WriteLongLine(UCHAR level, const wchar_t* text, size_t length);
    void FillHeader(EVENT_TRACE_HEADER* header, UCHAR type, UCHAR level, USHORT size);
    void Send(EVENT_TRACE_HEADER* record);  // lock held

    UCHAR enableLevel_ = 0;
    LONG enabled_ = 0;
    LONG registered_ = 0;
    GUID controlGuid_;
    GUID eventClassGuid_;
    TRACEHANDLE registrationHandle_ = 0;
    TRACEHANDLE loggerHandle_ = 0;
    CRITICAL_SECTION lock_;
    const TracePlatform* platform_;  // not owned
};

// The one logging entry point of the system.
void TraceLog(UCHAR level, const wchar_t* file, const wchar_t* function, unsigned line, const wchar_t* format, ...);

// "Class::Method" from GCC's __PRETTY_FUNCTION__ (no return type, no parameters).
std::wstring QualifiedFunctionName(const char* prettyFunction);

#define TRACE_WIDEN_(text) L##text
#define TRACE_WIDEN(text) TRACE_WIDEN_(text)

// Every call site logs through this, so the line names "Class::Method".
#define TRACE_LOG(level, ...)                                                                                  \
    do {                                                                                                       \
        static const std::wstring traceFunctionName_ = QualifiedFunctionName(__PRETTY_FUNCTION__);           \
        TraceLog((level), TRACE_WIDEN(__FILE__), traceFunctionName_.c_str(), __LINE__, __VA_ARGS__);          \
    } while (0)

// For the few lines that must carry a fixed function text of their own.
#define TRACE_LOG_AS(function, level, ...) \
    TraceLog((level), TRACE_WIDEN(__FILE__), (function), __LINE__, __VA_ARGS__)
