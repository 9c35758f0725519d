#include "PointerSigner.h"

#include "EcdsaP256.h"
#include "GameFolderScan.h"
#include "OpenSslPointers.h"

#include <openssl/core_names.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <fstream>
#include <iterator>

namespace korvapack {
namespace {

using chunkstore::BioPtr;
using chunkstore::MdContextPtr;
using chunkstore::PkeyPtr;

// Refuses to ask for a passphrase: packing runs unattended.
int NoPassphrase(char*, int, int, void*) { return 0; }

PkeyPtr LoadKey(const std::filesystem::path& keyFile, std::string& error) {
    std::ifstream in(keyFile, std::ios::binary);
    std::string pem((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        error = "cannot read the key '" + PathText(keyFile) + "'";
        return nullptr;
    }
    BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    PkeyPtr key(bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, NoPassphrase, nullptr) : nullptr);
    char group[32] = {};
    if (key == nullptr || !EVP_PKEY_is_a(key.get(), "EC") ||
        EVP_PKEY_get_utf8_string_param(key.get(), OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof(group), nullptr) != 1 ||
        std::string(group) != "prime256v1") {
        error = "'" + PathText(keyFile) + "' is not an unencrypted PEM P-256 private key";
        return nullptr;
    }
    return key;
}

}  // namespace

bool SignPointerPayload(const std::filesystem::path& keyFile, std::string_view payload, std::string& signatureDer,
                        std::string& publicKeyDer, std::string& error) {
    PkeyPtr key = LoadKey(keyFile, error);
    if (key == nullptr) {
        return false;
    }
    // Launchers take the public key uncompressed, as OpenSSL writes it by default.
    unsigned char* der = nullptr;
    int derSize = i2d_PUBKEY(key.get(), &der);
    std::string publicDer = derSize > 0 ? std::string(reinterpret_cast<char*>(der), derSize) : std::string();
    OPENSSL_free(der);
    chunkstore::P256PublicKey parsed;
    if (!chunkstore::ParseP256PublicKeyDer(publicDer, parsed)) {
        error = "the public half of '" + PathText(keyFile) + "' is not an uncompressed P-256 key";
        return false;
    }
    MdContextPtr context(EVP_MD_CTX_new());
    size_t size = 0;
    const auto* message = reinterpret_cast<const unsigned char*>(payload.data());
    if (context == nullptr || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1 ||
        EVP_DigestSign(context.get(), nullptr, &size, message, payload.size()) != 1) {
        error = "OpenSSL cannot sign with '" + PathText(keyFile) + "'";
        return false;
    }
    std::string signature(size, '\0');
    if (EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &size, message,
                       payload.size()) != 1) {
        error = "OpenSSL cannot sign with '" + PathText(keyFile) + "'";
        return false;
    }
    signature.resize(size);
    signatureDer = std::move(signature);
    publicKeyDer = std::move(publicDer);
    return true;
}

}  // namespace korvapack
