#include "package/Log.h"

#include "package/WinFile.h"

#include <cstring>

Log::Log() = default;
Log::~Log() = default;

bool Log::open(const char* path) {
    file_.reset(new WinFile());
    return file_->openLog(path);
}

void Log::close() {
    if (file_) {
        file_->close();
        file_.reset();
    }
}

void Log::write(const void* bytes, uint32_t length) {
    writeChecked(bytes, length);
}

bool Log::writeChecked(const void* bytes, uint32_t length) {
    if (!file_)
        return false;
    uint32_t written = 0;
    int result = file_->write(bytes, length, &written);
    return result == 0 && written == length;
}

int formatLogPrefix(char* buffer, int size, int flags, int lineNumber, const std::tm* localTime) {
    static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    buffer[0] = '\0';
    if (flags & Log::kLineNumbers) {
        char number[32];
        boundedFormat(number, sizeof number, "%4i:  ", lineNumber);
        appendText(buffer, size, number);
    }
    if (flags & Log::kTimeStamps) {
        if (localTime != nullptr) {
            int month =
                localTime->tm_mon < 0 ? 0 : (localTime->tm_mon > 11 ? 11 : localTime->tm_mon);
            char stamp[80];
            boundedFormat(stamp, sizeof stamp, "[%i/%s/%i|%02i:%02i:%02i]",
                          localTime->tm_year + 1900, kMonths[month], localTime->tm_mday,
                          localTime->tm_hour, localTime->tm_min, localTime->tm_sec);
            appendText(buffer, size, stamp);
        }
        appendText(buffer, size, "    ");
    }
    return static_cast<int>(std::strlen(buffer));
}

const std::tm* currentLocalTime(std::tm* storage) {
    std::time_t now = std::time(nullptr);
#ifdef _WIN32
    return localtime_s(storage, &now) == 0 ? storage : nullptr;
#else
    return localtime_r(&now, storage);
#endif
}

void logMessage(Log* log, const char* format, ...) {
    if (log == nullptr)
        return;
    char message[1024];
    va_list args;
    va_start(args, format);
    boundedFormatV(message, sizeof message, format, args);
    va_end(args);
    std::tm storage;
    const std::tm* localTime = nullptr;
    if (log->flags & Log::kTimeStamps)
        localTime = currentLocalTime(&storage);
    char prefix[128];
    int prefixLength =
        formatLogPrefix(prefix, sizeof prefix, log->flags, log->lineCounter, localTime);
    if (log->flags & Log::kLineNumbers)
        ++log->lineCounter;
    log->write(prefix, static_cast<uint32_t>(prefixLength));
    log->write(message, static_cast<uint32_t>(std::strlen(message)));
    log->write("\r\n", 2);
}
