#include "tools/instpack/HostFiles.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

bool HostFiles::readFile(const std::string& path, Bytes& out, std::string& error) {
    out.clear();
    std::error_code code;
    if (!fs::is_regular_file(path, code)) {
        error = code ? code.message() : "not a regular file";
        if (!fs::exists(path, code))
            error = "no such file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0) {
        error = "cannot take its size";
        return false;
    }
    out.resize(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(out.data()), size)) {
        error = "cannot be read";
        return false;
    }
    return true;
}

namespace {
// Reading a mapped page of a file that was cut short raises SIGBUS.
void reportShrunkSource(int) {
    static const char message[] =
        "instpack: a source file became shorter while it was being packed; no package was made\n";
    ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    _exit(1);
}
} // namespace

bool HostFiles::mapFile(const std::string& path, const unsigned char*& data, size_t& size,
                        std::string& error) {
    data = nullptr;
    size = 0;
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat status;
    bool ok = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    if (!ok)
        error = "not a regular file";
    if (ok && status.st_size > 0) {
        void* view = mmap(nullptr, static_cast<size_t>(status.st_size), PROT_READ, MAP_SHARED,
                          descriptor, 0);
        ok = view != MAP_FAILED;
        if (ok) {
            static const bool handled = [] {
                struct sigaction action {};
                action.sa_handler = reportShrunkSource;
                return sigaction(SIGBUS, &action, nullptr) == 0;
            }();
            (void)handled;
            data = static_cast<const unsigned char*>(view);
            size = static_cast<size_t>(status.st_size);
        } else {
            error = std::strerror(errno);
        }
    }
    close(descriptor);
    return ok;
}

void HostFiles::unmapFile(const unsigned char* data, size_t size) {
    if (data != nullptr)
        munmap(const_cast<unsigned char*>(data), size);
}

bool HostFiles::writeFile(const std::string& path, const unsigned char* data, size_t count,
                          std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out && count > 0)
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(count));
    out.close();
    if (!out) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

bool HostFiles::isRegularFile(const std::string& path) {
    std::error_code code;
    return fs::is_regular_file(path, code);
}

bool HostFiles::isDirectory(const std::string& path) {
    std::error_code code;
    return fs::is_directory(path, code);
}

bool HostFiles::makeDirectories(const std::string& path, std::string& error) {
    std::error_code code;
    fs::create_directories(path, code);
    if (code) {
        error = code.message();
        return false;
    }
    return true;
}

std::vector<std::string> HostFiles::listFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code code;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        std::error_code typeCode;
        if (it->is_regular_file(typeCode))
            names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string HostFiles::folderOf(const std::string& path) {
    std::string folder = fs::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

std::string HostFiles::join(const std::string& folder, const std::string& name) {
    return (fs::path(folder) / name).string();
}

bool HostFiles::isSameFile(const std::string& first, const std::string& second) {
    struct stat a;
    struct stat b;
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool HostFiles::isSymbolicLink(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

bool HostFiles::createTemporary(const std::string& path, std::string& temporary,
                                std::string& error) {
    // Like mkstemp, but created with the permissions any new file gets (mkstemp's are private).
    // A short name of its own, not the target's with a suffix, which could outgrow the longest
    // file name the folder allows.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = join(folderOf(path), ".instpack-" + std::to_string(getpid()) + "-" +
                                             std::to_string(counter++) + ".part");
        int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (descriptor >= 0) {
            close(descriptor);
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    error = "cannot create a file beside " + path + ": " + std::strerror(errno);
    return false;
}

bool HostFiles::writeFileReplacing(const std::string& path, const unsigned char* data, size_t count,
                                   std::string& error) {
    std::string temporary;
    if (!createTemporary(path, temporary, error))
        return false;
    if (writeFile(temporary, data, count, error) && replaceFile(temporary, path, error))
        return true;
    removeFile(temporary);
    return false;
}

bool HostFiles::replaceFile(const std::string& from, const std::string& to, std::string& error) {
    std::error_code code;
    fs::rename(from, to, code);
    if (code) {
        error = code.message();
        return false;
    }
    return true;
}

void HostFiles::removeFile(const std::string& path) {
    std::error_code code;
    fs::remove(path, code);
}

void HostFiles::makeExecutable(const std::string& path) {
    std::error_code code;
    fs::permissions(path, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, code);
}

bool HostFiles::errorsGoToTerminal() {
    return isatty(STDERR_FILENO) == 1;
}
