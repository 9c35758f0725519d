#pragma once
#include <cstdint>
#include <map>
#include <string>

// The telemetry collection endpoint compiled into this build.
extern const char kStatReportUrl[];

// One usage event on its way to the reporting thread. Texts are in the
// process's ANSI code page.
struct StatEvent {
    std::string category;
    std::string action;
    std::string timestamp;  // may be empty: then left out of the report
    std::map<std::string, std::string> extdata;
};

// Sends stat events to the collection endpoint, one POST per event, without
// retries; the outcome is never reported back.
class StatHelper {
public:
    using ExtData = std::map<std::string, std::string>;

    // A collector that accepts and then never answers must not keep the
    // launcher open after the game has started: a report gives up after
    // these many seconds in all, and after the connect part of them when the
    // connection (TLS handshake included) cannot be made.
    static constexpr int32_t kReportTimeoutSeconds = 10;
    static constexpr int32_t kReportConnectTimeoutSeconds = 5;

    // The process's one instance, created on first use.
    static StatHelper& Instance();

    // Sends the event on a thread of its own and returns once the request
    // has finished or failed.
    void TrackEvent(const std::string& category, const std::string& action, const std::string& timestamp,
                    const ExtData& extdata);

    // The request body: {"data":"<data object as JSON text>"}, the data
    // object holding extdata as JSON text in turn.
    static std::string BuildReportBody(const StatEvent& event);

    // Lets a test point the instance at a local collector; call before any
    // report runs.
    void SetEndpointForTesting(const std::string& url) { endpoint_ = url; }

private:
    StatHelper();
    StatHelper(const StatHelper&) = delete;
    StatHelper& operator=(const StatHelper&) = delete;

    static void Report(const std::string& endpoint, const StatEvent& event);

    std::string endpoint_;
};
