#pragma once
#include "TraceLogger.h"

#include <string>
#include <vector>

// Plays the platform's trace controller for a TraceLogger: records every
// event the logger sends, byte for byte. One instance at a time per process
// (the platform table holds plain function pointers).
struct TraceRecord {
    std::vector<unsigned char> bytes;  // the whole record, header included
    unsigned char type = 0;
    unsigned char level = 0;
    std::wstring text;                 // the line without its terminator
};

class FakeTraceController {
public:
    FakeTraceController();
    ~FakeTraceController();

    const TracePlatform& Platform() const;

    // Sends a control request to `logger` as the platform would.
    ULONG Enable(TraceLogger& logger, unsigned char level);
    ULONG Disable(TraceLogger& logger);
    ULONG Request(TraceLogger& logger, WMIDPREQUESTCODE code);

    // The status the next sends return (0 = success).
    void FailSendsWith(ULONG status);
    // Makes the logger-handle query report an invalid handle.
    void FailHandleQuery(bool fail);
    // Makes a level-0 answer come with this last-error code.
    void SetEnableLevelError(DWORD error);

    std::vector<TraceRecord> Records() const;
    std::vector<std::wstring> Lines() const;
    size_t SendCount() const;
    void Clear();
};

// Routes the process-wide logger to a fake controller, enabled at `level`,
// for the lifetime of the object; every line the code under test logs lands
// in Lines().
class TraceCapture {
public:
    explicit TraceCapture(unsigned char level = TRACE_LEVEL_VERBOSE);
    ~TraceCapture();

    std::vector<std::wstring> Lines() const { return controller_.Lines(); }
    std::vector<TraceRecord> Records() const { return controller_.Records(); }
    // True when some line ends with "] " + message.
    bool HasMessage(const std::wstring& message) const;
    // Number of lines whose message is exactly `message`.
    size_t CountMessage(const std::wstring& message) const;
    void Clear() { controller_.Clear(); }

private:
    FakeTraceController controller_;
};

// The message part of a line "[file - function - line] message".
std::wstring TraceMessage(const std::wstring& line);
// The function part of such a line.
std::wstring TraceFunction(const std::wstring& line);
