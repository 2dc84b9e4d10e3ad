#include "startup/Transcript.h"

#include "package/Log.h"
#include "package/WinFile.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <thread>

bool Transcript::writable() const {
    return append("");
}

void Transcript::line(const char* format, ...) {
    if (!wanted())
        return;
    // Formatted at its full length: a line naming a long path is kept whole.
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(&text[0], text.size() + 1, format, args);
    va_end(args);
    std::tm storage{};
    const std::tm* local = currentLocalTime(&storage);
    char stamp[32] = "";
    if (local != nullptr)
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
    append(std::string(stamp) + "  " + text + "\r\n");
}

// The other process of an uninstall may hold the file for the instant of its own line.
bool Transcript::append(const std::string& text) const {
    for (int attempt = 0; attempt < 50; ++attempt) {
        WinFile file;
        if (file.openPath(path_.c_str(), fileaccess::kWrite, fileaccess::kShareRead,
                          fileaccess::kOpenOrCreate) == 0) {
            int64_t end = file.size();
            // A line written anywhere but at the end would overwrite the lines before it.
            if (end < 0 || !file.seekFromStart(static_cast<int32_t>(end & 0xffffffff),
                                               static_cast<int32_t>(end >> 32)))
                return false;
            uint32_t written = 0;
            bool whole =
                text.empty() ||
                (file.write(text.data(), static_cast<uint32_t>(text.size()), &written) == 0 &&
                 written == text.size());
            file.close();
            return whole;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}
