#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

// Reads what tests/harness/collector.py recorded, and takes apart the stat
// report bodies it received.

struct CollectedRequest {
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;  // in arrival order
    std::string body;                                           // raw bytes

    // The first header of that name (any case); "" when there is none.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

// Every request in the collector's log, oldest first; empty when the log
// cannot be read.
std::vector<CollectedRequest> ReadCollectorLog(const std::wstring& path);

// The contents of {"data":"{...,\"extdata\":\"{...}\"}"}.
struct StatReport {
    std::string category;
    std::string action;
    bool hasTimestamp = false;
    std::string timestamp;
    std::map<std::string, std::string> extdata;
};

// False unless every layer parses and holds only the expected string members.
bool ParseStatReport(const std::string& body, StatReport& report);
