#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace net {
namespace korva {

// Sent in list order as "name: value"; pairs with an empty name are skipped.
using HttpHeaders = std::vector<std::pair<std::string, std::string>>;
// One multipart part per entry, in ascending byte order of the names.
using HttpFormFields = std::map<std::string, std::string>;

// A synchronous HTTP client. Every operation returns 0 (Ok) once the transfer
// ran to completion, whatever the status code, and 1 (Failed) otherwise.
// Response bodies are appended to *response.
class IHttp {
public:
    virtual int Get(const std::string& url, const HttpHeaders& headers, std::string* response) = 0;
    virtual int Delete(const std::string& url, const HttpHeaders& headers, std::string* response) = 0;
    virtual int PostForm(const std::string& url, const std::string& body, const HttpFormFields& fields,
                         const HttpHeaders& headers, std::string* response) = 0;
    virtual int Post(const std::string& url, const std::string& body, const HttpHeaders& headers,
                     std::string* response) = 0;
    virtual int Patch(const std::string& url, const std::string& body, const HttpHeaders& headers,
                      std::string* response) = 0;
    virtual int Put(const std::string& url, const std::string& body, const HttpHeaders& headers,
                    std::string* response) = 0;
    // outputPath is UTF-8.
    virtual int DownloadFile(const std::string& url, const std::string& outputPath, const HttpHeaders& headers) = 0;

protected:
    // Never deleted through the interface.
    ~IHttp() = default;
};

}  // namespace korva
}  // namespace net
