#include "CollectorLog.h"

#include "TestEnv.h"

#include <rapidjson/document.h>

#include <cctype>
#include <sstream>

namespace {

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::string Text(const rapidjson::Value& value) {
    return std::string(value.GetString(), value.GetStringLength());
}

// The object's members, all of which must be strings.
bool StringMembers(const std::string& json, std::vector<std::pair<std::string, std::string>>& members) {
    rapidjson::Document document;
    document.Parse(json.data(), json.size());
    if (document.HasParseError() || !document.IsObject()) {
        return false;
    }
    for (auto it = document.MemberBegin(); it != document.MemberEnd(); ++it) {
        if (!it->value.IsString()) {
            return false;
        }
        members.emplace_back(Text(it->name), Text(it->value));
    }
    return true;
}

}  // namespace

std::string CollectedRequest::Header(const std::string& name) const {
    for (const auto& header : headers) {
        if (SameTextIgnoringCase(header.first, name)) {
            return header.second;
        }
    }
    return std::string();
}

bool CollectedRequest::HasHeader(const std::string& name) const {
    for (const auto& header : headers) {
        if (SameTextIgnoringCase(header.first, name)) {
            return true;
        }
    }
    return false;
}

std::vector<CollectedRequest> ReadCollectorLog(const std::wstring& path) {
    std::vector<CollectedRequest> requests;
    std::istringstream lines(testenv::ReadFileBytes(path));
    std::string line;
    while (std::getline(lines, line)) {
        rapidjson::Document entry;
        entry.Parse(line.c_str());
        if (entry.HasParseError() || !entry.IsObject()) {
            continue;
        }
        CollectedRequest request;
        request.method = Text(entry["method"]);
        request.path = Text(entry["path"]);
        for (const auto& header : entry["headers"].GetArray()) {
            request.headers.emplace_back(Text(header[0]), Text(header[1]));
        }
        request.body = FromHex(Text(entry["body_hex"]));
        requests.push_back(request);
    }
    return requests;
}

bool ParseStatReport(const std::string& body, StatReport& report) {
    std::vector<std::pair<std::string, std::string>> outer;
    if (!StringMembers(body, outer) || outer.size() != 1 || outer[0].first != "data") {
        return false;
    }
    std::vector<std::pair<std::string, std::string>> data;
    if (!StringMembers(outer[0].second, data)) {
        return false;
    }
    report = StatReport();
    bool hasExtdata = false;
    for (const auto& member : data) {
        if (member.first == "category") {
            report.category = member.second;
        } else if (member.first == "action") {
            report.action = member.second;
        } else if (member.first == "timestamp") {
            report.hasTimestamp = true;
            report.timestamp = member.second;
        } else if (member.first == "extdata") {
            std::vector<std::pair<std::string, std::string>> extdata;
            if (!StringMembers(member.second, extdata)) {
                return false;
            }
            report.extdata.insert(extdata.begin(), extdata.end());
            hasExtdata = true;
        } else {
            return false;
        }
    }
    return hasExtdata;
}
