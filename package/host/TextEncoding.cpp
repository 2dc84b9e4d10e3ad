#include "package/TextEncoding.h"

#include <cerrno>
#include <iconv.h>

// The native build stands for a Western system that runs the engine in UTF-8.
namespace {
std::string iconvName(unsigned codePage) {
    if (codePage == TextEncoding::kUtf8)
        return "UTF-8";
    if (codePage == TextEncoding::kUtf16LE)
        return "UTF-16LE";
    if (codePage == 20127)
        return "ASCII";
    if (codePage > 28590 && codePage < 28606)
        return "ISO-8859-" + std::to_string(codePage - 28590);
    return "CP" + std::to_string(codePage);
}
} // namespace

unsigned TextEncoding::processCodePage() {
    return kUtf8;
}

unsigned TextEncoding::systemAnsiCodePage() {
    return 1252;
}

std::optional<std::string> TextEncoding::convert(const std::string& text, unsigned from,
                                                 unsigned to) {
    iconv_t converter = iconv_open(iconvName(to).c_str(), iconvName(from).c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outAt = &out[0];
    size_t outLeft = out.size();
    size_t result = iconv(converter, &in, &inLeft, &outAt, &outLeft);
    iconv_close(converter);
    if (result == static_cast<size_t>(-1) || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}
