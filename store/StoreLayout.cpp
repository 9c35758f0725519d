#include "StoreLayout.h"

namespace chunkstore {

std::string ChunkObjectName(const Digest& id) {
    std::string hex = DigestHex(id);
    return "chunks/" + hex.substr(0, 2) + "/" + hex + ".chunk";
}

std::string ManifestObjectName(std::string_view version, const Digest& manifestSha256) {
    return "manifests/" + std::string(version) + "-" + DigestHex(manifestSha256).substr(0, 16) + ".manifest";
}

}  // namespace chunkstore
