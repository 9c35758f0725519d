#include "KorvaWinHttp.h"

#include "ResultCode.h"
#include "TextHelpers.h"

// The multipart form calls are the classic ones; libcurl marks them deprecated.
#define CURL_DISABLE_DEPRECATION
#include <curl/curl.h>

#include <share.h>
#include <cstdio>

namespace net {
namespace korva {

namespace {

// Where one transfer's body goes: the output file when it is open, the
// response string otherwise.
struct ResponseSink {
    explicit ResponseSink(std::string* response) : response(response) {}
    ~ResponseSink() {
        if (file != nullptr) {
            fclose(file);
        }
    }
    ResponseSink(const ResponseSink&) = delete;
    ResponseSink& operator=(const ResponseSink&) = delete;

    // Byte-exact, truncated, and readable and writable by other processes
    // while the transfer runs.
    void OpenFile(const std::string& utf8Path) {
        std::wstring path;
        Utf8ToWide(utf8Path.data(), static_cast<int>(utf8Path.size()), path);
        if (!path.empty()) {
            file = _wfsopen(path.c_str(), L"wb", _SH_DENYNO);
        }
    }

    std::string* response;  // not owned; may be null
    FILE* file = nullptr;   // owned
};

size_t WriteBody(char* data, size_t size, size_t count, void* userData) {
    ResponseSink* sink = static_cast<ResponseSink*>(userData);
    const size_t length = size * count;
    if (sink->file != nullptr) {
        fwrite(data, 1, length, sink->file);
    } else if (sink->response != nullptr) {
        sink->response->append(data, length);
    }
    return length;
}

struct EasyHandle {
    EasyHandle() : handle(curl_easy_init()) {}
    ~EasyHandle() {
        if (handle != nullptr) {
            curl_easy_cleanup(handle);
        }
    }
    EasyHandle(const EasyHandle&) = delete;
    EasyHandle& operator=(const EasyHandle&) = delete;
    CURL* handle;  // owned
};

struct FormParts {
    ~FormParts() {
        if (first != nullptr) {
            curl_formfree(first);
        }
    }
    curl_httppost* first = nullptr;  // owned
    curl_httppost* last = nullptr;   // not owned: the tail of first's list
};

struct HeaderList {
    ~HeaderList() { curl_slist_free_all(lines); }
    curl_slist* lines = nullptr;  // owned
};

}  // namespace

KorvaWinHttp::KorvaWinHttp(const std::string& userAgent, int32_t timeout, int32_t connectTimeout)
    : userAgent_(userAgent), timeout_(timeout), connectTimeout_(connectTimeout) {}

int KorvaWinHttp::Get(const std::string& url, const HttpHeaders& headers, std::string* response) {
    return Perform(url, "GET", std::string(), HttpFormFields(), headers, std::string(), response);
}

int KorvaWinHttp::Delete(const std::string& url, const HttpHeaders& headers, std::string* response) {
    return Perform(url, "DELETE", std::string(), HttpFormFields(), headers, std::string(), response);
}

int KorvaWinHttp::PostForm(const std::string& url, const std::string& body, const HttpFormFields& fields,
                           const HttpHeaders& headers, std::string* response) {
    return Perform(url, "POST", body, fields, headers, std::string(), response);
}

int KorvaWinHttp::Post(const std::string& url, const std::string& body, const HttpHeaders& headers,
                       std::string* response) {
    return Perform(url, "POST", body, HttpFormFields(), headers, std::string(), response);
}

int KorvaWinHttp::Patch(const std::string& url, const std::string& body, const HttpHeaders& headers,
                        std::string* response) {
    return Perform(url, "PATCH", body, HttpFormFields(), headers, std::string(), response);
}

int KorvaWinHttp::Put(const std::string& url, const std::string& body, const HttpHeaders& headers,
                      std::string* response) {
    return Perform(url, "PUT", body, HttpFormFields(), headers, std::string(), response);
}

int KorvaWinHttp::DownloadFile(const std::string& url, const std::string& outputPath, const HttpHeaders& headers) {
    // Catches the body only when the file cannot be opened.
    std::string discarded;
    return Perform(url, "GET", std::string(), HttpFormFields(), headers, outputPath, &discarded);
}

int KorvaWinHttp::Perform(const std::string& url, const std::string& method, const std::string& body,
                          const HttpFormFields& fields, const HttpHeaders& headers, const std::string& outputPath,
                          std::string* response) {
    // Declared so that the form, the header list and the handle go before the file closes.
    ResponseSink sink(response);
    EasyHandle easy;
    if (easy.handle == nullptr) {
        return Failed;
    }
    CURL* curl = easy.handle;
    HeaderList headerList;
    FormParts form;
    if (!outputPath.empty()) {
        sink.OpenFile(outputPath);
    }

    // Each option is set only while every earlier one was accepted.
    CURLcode result = curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteBody);
    if (result == CURLE_OK) result = curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    if (result == CURLE_OK) result = curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    if (result == CURLE_OK) result = curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    if (result == CURLE_OK) result = curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    if (result == CURLE_OK) result = curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    if (result == CURLE_OK) result = curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    if (result == CURLE_OK && !userAgent_.empty()) {
        result = curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent_.c_str());
    }
    if (result == CURLE_OK && timeout_ > 0) {
        result = curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(timeout_));
    }
    if (result == CURLE_OK && connectTimeout_ > 0) {
        result = curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(connectTimeout_));
    }

    for (const auto& field : fields) {
        curl_formadd(&form.first, &form.last, CURLFORM_COPYNAME, field.first.c_str(), CURLFORM_COPYCONTENTS,
                     field.second.c_str(), CURLFORM_END);
    }
    if (form.first != nullptr) {
        curl_easy_setopt(curl, CURLOPT_HTTPPOST, form.first);
    }

    if (result == CURLE_OK) {
        for (const auto& header : headers) {
            if (header.first.empty()) {
                continue;
            }
            curl_slist* appended = curl_slist_append(headerList.lines, (header.first + ": " + header.second).c_str());
            if (appended != nullptr) {
                headerList.lines = appended;
            }
        }
        if (headerList.lines != nullptr) {
            result = curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headerList.lines);
        }
    }

    if (result == CURLE_OK && !body.empty()) {
        result = curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
        if (result == CURLE_OK) {
            result = curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
        }
    }
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);

    if (result == CURLE_OK) {
        result = curl_easy_perform(curl);
    }
    return result == CURLE_OK ? Ok : Failed;
}

}  // namespace korva
}  // namespace net
