#include "PointerSigner.h"

namespace korvapack {

// The Windows build carries no OpenSSL, and a publisher's key belongs on the
// build machine anyway.
bool SignPointerPayload(const std::filesystem::path&, std::string_view, std::string&, std::string&,
                        std::string& error) {
    error = "this build of korva-pack cannot sign; sign on the build machine with its own korva-pack "
            "(build/host/bin/korva-pack)";
    return false;
}

}  // namespace korvapack
