#include "system/FileSecurity.h"

#include "system/WinHandle.h"

#include <string>
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

namespace {
// Frees what the security functions allocated.
struct LocalMemory {
    void* memory = nullptr;
    ~LocalMemory() {
        if (memory != nullptr)
            LocalFree(memory);
    }
};

bool isTrusted(PSID sid, PSID self) {
    static const char* const kTrusted[] = {
        "S-1-5-18",     // SYSTEM
        "S-1-5-32-544", // Administrators
        "S-1-3-0",      // the creator owner: only ever passed on to new files
        // The system's installer service
        "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"};
    if (self != nullptr && EqualSid(sid, self))
        return true;
    for (const char* text : kTrusted) {
        LocalMemory trusted;
        if (ConvertStringSidToSidA(text, &trusted.memory) && EqualSid(sid, trusted.memory))
            return true;
    }
    return false;
}

// The running account's SID, kept in `buffer`.
PSID currentUser(std::string& buffer) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return nullptr;
    WinHandle owner(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    buffer.assign(size, '\0');
    if (size == 0 || !GetTokenInformation(token, TokenUser, &buffer[0], size, &size))
        return nullptr;
    return reinterpret_cast<TOKEN_USER*>(&buffer[0])->User.Sid;
}

// Whether an untrusted account is granted any of `rights` on the object; true also when its
// permissions cannot be read or it has none at all (a missing list lets everyone in).
bool grantsOthers(const char* path, DWORD rights) {
    PACL dacl = nullptr;
    LocalMemory descriptor;
    if (GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &dacl, nullptr, &descriptor.memory) != ERROR_SUCCESS ||
        dacl == nullptr)
        return true;
    std::string userBuffer;
    PSID self = currentUser(userBuffer);
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header)))
            return true;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        if ((ace->Mask & rights) != 0 && !isTrusted(&ace->SidStart, self))
            return true;
    }
    return false;
}

const DWORD kChangeRights = WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
} // namespace

bool FileSecurity::othersMayWrite(const char* path) {
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return false;
    if (grantsOthers(path, kChangeRights | FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE))
        return true;
    // Whoever may delete the folder's files may put another file in its place.
    std::string folder = path;
    size_t cut = folder.find_last_of("\\/");
    if (cut == std::string::npos)
        return true;
    folder.erase(cut + 1);
    return grantsOthers(folder.c_str(), kChangeRights | FILE_DELETE_CHILD);
}

bool FileSecurity::createPrivateFolder(const char* path) {
    std::string userBuffer;
    PSID self = currentUser(userBuffer);
    LocalMemory selfText;
    if (self == nullptr ||
        !ConvertSidToStringSidA(self, reinterpret_cast<char**>(&selfText.memory)))
        return false;
    std::string sddl = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" +
                       std::string(static_cast<char*>(selfText.memory)) + ")";
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    LocalMemory descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor.memory, nullptr))
        return false;
    attributes.lpSecurityDescriptor = descriptor.memory;
    return CreateDirectoryA(path, &attributes) != 0;
}
