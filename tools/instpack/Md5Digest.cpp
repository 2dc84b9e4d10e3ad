#include "tools/instpack/Md5Digest.h"

#include <cstring>
#include <memory>
#include <openssl/evp.h>

bool Md5Digest::compute(const unsigned char* data, size_t length, unsigned char digest[kSize]) {
    std::memset(digest, 0, kSize);
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                    &EVP_MD_CTX_free);
    unsigned int written = 0;
    unsigned char result[EVP_MAX_MD_SIZE];
    bool ok = context != nullptr && EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) == 1 &&
              EVP_DigestUpdate(context.get(), data, length) == 1 &&
              EVP_DigestFinal_ex(context.get(), result, &written) == 1 && written == kSize;
    if (ok)
        std::memcpy(digest, result, kSize);
    return ok;
}
