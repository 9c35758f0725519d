#include "StatHelper.h"

#include "KorvaWinHttp.h"
#include "TextHelpers.h"
#include "TraceLogger.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <memory>
#include <thread>
#include <utility>

namespace {

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

void WriteString(JsonWriter& writer, const std::string& text) {
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

void WriteMember(JsonWriter& writer, const char* name, const std::string& value) {
    writer.Key(name);
    WriteString(writer, value);
}

std::string ExtDataJson(const StatHelper::ExtData& extdata) {
    rapidjson::StringBuffer buffer;
    JsonWriter writer(buffer);
    writer.StartObject();
    for (const auto& entry : extdata) {
        writer.Key(entry.first.data(), static_cast<rapidjson::SizeType>(entry.first.size()));
        WriteString(writer, entry.second);
    }
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

std::string DataJson(const StatEvent& event) {
    rapidjson::StringBuffer buffer;
    JsonWriter writer(buffer);
    writer.StartObject();
    WriteMember(writer, "category", event.category);
    WriteMember(writer, "action", event.action);
    if (!event.timestamp.empty()) {
        WriteMember(writer, "timestamp", event.timestamp);
    }
    WriteMember(writer, "extdata", ExtDataJson(event.extdata));
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace

StatHelper::StatHelper() : endpoint_(kStatReportUrl) {}

StatHelper& StatHelper::Instance() {
    static StatHelper instance;
    return instance;
}

std::string StatHelper::BuildReportBody(const StatEvent& event) {
    rapidjson::StringBuffer buffer;
    JsonWriter writer(buffer);
    writer.StartObject();
    WriteMember(writer, "data", DataJson(event));
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

void StatHelper::TrackEvent(const std::string& category, const std::string& action, const std::string& timestamp,
                            const ExtData& extdata) {
    std::unique_ptr<StatEvent> event(new StatEvent{category, action, timestamp, extdata});
    std::string endpoint = endpoint_;
    std::thread sender([endpoint = std::move(endpoint), event = std::move(event)]() {
        // Nothing may escape a thread's entry: it would end the process.
        try {
            Report(endpoint, *event);
        } catch (...) {
        }
    });
    sender.join();
}

void StatHelper::Report(const std::string& endpoint, const StatEvent& event) {
    net::korva::KorvaWinHttp http(std::string(), kReportTimeoutSeconds, kReportConnectTimeoutSeconds);
    const std::string body = BuildReportBody(event);
    TRACE_LOG(TRACE_LEVEL_ERROR, L"KorvaStat: %s", AnsiToWide(body).c_str());
    const net::korva::HttpHeaders headers = {{"Content-Type", "application/json"}};
    std::string response;
    http.Post(endpoint, body, headers, &response);
}
