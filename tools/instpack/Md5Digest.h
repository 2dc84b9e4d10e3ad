// MD5 through OpenSSL's EVP interface: the digest that each record header carries for the
// uncompressed data, of one byte range or of several fed in order.
#pragma once

#include <cstddef>
#include <memory>

struct evp_md_ctx_st;

class Md5Digest {
  public:
    static constexpr size_t kSize = 16;
    // False only when the library fails (out of memory); `digest` then holds zeros.
    static bool compute(const unsigned char* data, size_t length, unsigned char digest[kSize]);

    Md5Digest();
    ~Md5Digest();
    void update(const unsigned char* data, size_t length);
    // The digest of everything fed so far; false (and zeros) when the library failed.
    bool finish(unsigned char digest[kSize]);

  private:
    struct FreeContext {
        void operator()(evp_md_ctx_st* context) const;
    };
    std::unique_ptr<evp_md_ctx_st, FreeContext> context_;
    bool ok_ = false;
};
