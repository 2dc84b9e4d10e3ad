// MD5 of a byte range through OpenSSL's EVP interface: the digest that each record header
// carries for the uncompressed data.
#pragma once

#include <cstddef>

class Md5Digest {
  public:
    static constexpr size_t kSize = 16;
    // False only when the library fails (out of memory); `digest` then holds zeros.
    static bool compute(const unsigned char* data, size_t length, unsigned char digest[kSize]);
};
