#include "package/TextEncoding.h"

#include <windows.h>

namespace {
std::optional<std::wstring> toWide(const std::string& text, unsigned codePage) {
    if (codePage == TextEncoding::kUtf16LE) {
        if (text.size() % 2 != 0)
            return std::nullopt;
        std::wstring wide(text.size() / 2, L'\0');
        for (size_t i = 0; i < wide.size(); ++i)
            wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(text[2 * i]) |
                                           static_cast<unsigned char>(text[2 * i + 1]) << 8);
        return wide;
    }
    int length = static_cast<int>(text.size());
    int wanted =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (wanted <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<size_t>(wanted), L'\0');
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, &wide[0],
                            wanted) != wanted)
        return std::nullopt;
    return wide;
}

std::optional<std::string> fromWide(const std::wstring& wide, unsigned codePage) {
    if (codePage == TextEncoding::kUtf16LE) {
        std::string bytes;
        bytes.reserve(wide.size() * 2);
        for (wchar_t c : wide) {
            bytes.push_back(static_cast<char>(c & 0xFF));
            bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
        }
        return bytes;
    }
    // A lone surrogate has no form in UTF-8; in an ANSI code page the system marks every
    // character it replaced through `usedDefault`, with no look-alike ("best fit") allowed.
    bool utf8 = codePage == CP_UTF8;
    DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* replaced = utf8 ? nullptr : &usedDefault;
    int length = static_cast<int>(wide.size());
    int wanted =
        WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, replaced);
    if (wanted <= 0 || usedDefault)
        return std::nullopt;
    std::string text(static_cast<size_t>(wanted), '\0');
    if (WideCharToMultiByte(codePage, flags, wide.data(), length, &text[0], wanted, nullptr,
                            replaced) != wanted ||
        usedDefault)
        return std::nullopt;
    return text;
}
} // namespace

unsigned TextEncoding::processCodePage() {
    return GetACP();
}

unsigned TextEncoding::systemAnsiCodePage() {
    DWORD codePage = 0;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&codePage),
                       sizeof codePage / sizeof(wchar_t)) == 0 ||
        codePage == 0)
        return 1252;
    return codePage;
}

std::optional<std::string> TextEncoding::convert(const std::string& text, unsigned from,
                                                 unsigned to) {
    if (text.empty())
        return std::string();
    std::optional<std::wstring> wide = toWide(text, from);
    if (!wide)
        return std::nullopt;
    return fromWide(*wide, to);
}
