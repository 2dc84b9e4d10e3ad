#include "startup/Transcript.h"

#include "package/WinFile.h"

#include <chrono>
#include <cstdarg>
#include <ctime>
#include <thread>

bool Transcript::writable() const {
    return append("");
}

void Transcript::line(const char* format, ...) {
    if (!wanted())
        return;
    char text[4096];
    va_list args;
    va_start(args, format);
    boundedFormatV(text, sizeof text, format, args);
    va_end(args);
    std::time_t now = std::time(nullptr);
    std::tm local{};
    char stamp[32] = "";
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
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
