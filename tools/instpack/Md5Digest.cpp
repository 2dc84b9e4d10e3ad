#include "tools/instpack/Md5Digest.h"

#include <cstring>
#include <openssl/evp.h>

void Md5Digest::FreeContext::operator()(evp_md_ctx_st* context) const {
    EVP_MD_CTX_free(context);
}

Md5Digest::Md5Digest() : context_(EVP_MD_CTX_new()) {
    ok_ = context_ != nullptr && EVP_DigestInit_ex(context_.get(), EVP_md5(), nullptr) == 1;
}

Md5Digest::~Md5Digest() = default;

void Md5Digest::update(const unsigned char* data, size_t length) {
    ok_ = ok_ && EVP_DigestUpdate(context_.get(), data, length) == 1;
}

bool Md5Digest::finish(unsigned char digest[kSize]) {
    std::memset(digest, 0, kSize);
    unsigned int written = 0;
    unsigned char result[EVP_MAX_MD_SIZE];
    ok_ = ok_ && EVP_DigestFinal_ex(context_.get(), result, &written) == 1 && written == kSize;
    if (ok_)
        std::memcpy(digest, result, kSize);
    return ok_;
}

bool Md5Digest::compute(const unsigned char* data, size_t length, unsigned char digest[kSize]) {
    Md5Digest md5;
    md5.update(data, length);
    return md5.finish(digest);
}
