#pragma once
// Owning pointers for the OpenSSL objects of the build machine's seams.
#include <openssl/bio.h>
#include <openssl/evp.h>

#include <memory>

namespace chunkstore {

struct OpenSslFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

using BioPtr = std::unique_ptr<BIO, OpenSslFree>;
using PkeyPtr = std::unique_ptr<EVP_PKEY, OpenSslFree>;
using MdContextPtr = std::unique_ptr<EVP_MD_CTX, OpenSslFree>;

}  // namespace chunkstore
