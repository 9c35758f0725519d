#pragma once
#include "IHttp.h"

#include <cstdint>
#include <string>

namespace net {
namespace korva {

// IHttp on libcurl's easy interface: one easy handle per call, the whole
// transfer on the calling thread. TLS certificates and host names are not
// verified; redirects are followed. Stateless after construction, so calls
// may run on any thread.
class KorvaWinHttp : public IHttp {
public:
    // userAgent "" leaves libcurl's default; timeout and connectTimeout are
    // seconds, and 0 or less leaves the limit unset (no overall limit,
    // libcurl's default connect time).
    KorvaWinHttp(const std::string& userAgent, int32_t timeout, int32_t connectTimeout = 0);

    int Get(const std::string& url, const HttpHeaders& headers, std::string* response) override;
    int Delete(const std::string& url, const HttpHeaders& headers, std::string* response) override;
    int PostForm(const std::string& url, const std::string& body, const HttpFormFields& fields,
                 const HttpHeaders& headers, std::string* response) override;
    int Post(const std::string& url, const std::string& body, const HttpHeaders& headers,
             std::string* response) override;
    int Patch(const std::string& url, const std::string& body, const HttpHeaders& headers,
              std::string* response) override;
    int Put(const std::string& url, const std::string& body, const HttpHeaders& headers,
            std::string* response) override;
    int DownloadFile(const std::string& url, const std::string& outputPath, const HttpHeaders& headers) override;

    // The one transfer routine behind every operation. A null response
    // discards the body.
    int Perform(const std::string& url, const std::string& method, const std::string& body,
                const HttpFormFields& fields, const HttpHeaders& headers, const std::string& outputPath,
                std::string* response);

private:
    const std::string userAgent_;
    const int32_t timeout_;
    const int32_t connectTimeout_;
};

}  // namespace korva
}  // namespace net
