// Names in every script, under Wine: the engine's UTF-8 reaches the system as the characters the
// vendor and the user wrote, and Windows' own wide functions read them back.
#include "UndoChecks.h"

#include <objbase.h>
#include <shlobj.h>

namespace {
using namespace undochecks;

std::wstring wide(const std::string& text) {
    std::wstring out(text.size(), L'\0');
    int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                            static_cast<int>(text.size()), &out[0], static_cast<int>(out.size()));
    out.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return out;
}

std::wstring machineVariable(const wchar_t* name) {
    std::wstring value(32768, L'\0');
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_LOCAL_MACHINE,
                     L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", name,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, &value[0],
                     &size) != ERROR_SUCCESS)
        return L"(none)";
    value.resize(size / sizeof(wchar_t) - 1);
    return value;
}

// The link's target and description as the shell reads them back, "|" between.
std::wstring linkRead(const std::wstring& path) {
    std::wstring out = L"(unreadable)";
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH] = {}, description[MAX_PATH] = {};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(path.c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
        SUCCEEDED(link->GetDescription(description, MAX_PATH)))
        out = std::wstring(target) + L"|" + description;
    if (file != nullptr)
        file->Release();
    if (link != nullptr)
        link->Release();
    CoUninitialize();
    return out;
}

class UnicodeInstall : public UndoMachine {
  protected:
    void TearDown() override {
        removeTree(app_);
        UndoMachine::TearDown();
    }
    const std::string name_ = "Démo 日本語 Ελληνικά";
    const std::string app_ = "C:\\Program Files\\" + name_;
    const std::string unicodeIni_ = root_ + "\\Ελληνικά.ini";
    const std::string config_ = root_ + "\\настройки.xml";
};
} // namespace

// The folder from a configuration file, a package file named in Cyrillic, a PATH entry, a value
// in an INI file that is UTF-8, a shortcut and the product's registration: all in those names,
// and all gone again through the registered uninstall command, the machine byte for byte.
TEST_F(UnicodeInstall, NamesInEveryScriptInstallAndUninstallToTheMachineAsBefore) {
    const std::string bom = "\xEF\xBB\xBF";
    ASSERT_TRUE(writeAll(unicodeIni_, bom + "[Plugins]\r\nFirst=a\r\n"));
    ASSERT_TRUE(writeAll(config_, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Settings><DefValues>"
                                  "<Value Name=\"APP\" DataType=\"value\">" +
                                      app_ + "</Value></DefValues></Settings>"));
    const std::string link = links_ + "\\" + name_ + ".lnk";
    products_.push_back(name_);
    testpayload::Entries entries = {
        {"install.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" +
             description(
                 name_, "C:\\unused", fileItem("[APP]\\bin", "руководство", "руководство.txt"),
                 tag("Environment", "<Append VarName=\"PATH\" IsPath=\"1\">[APP]\\bin</Append>") +
                     tag("IniFiles", "<Add FileName=\"" + unicodeIni_ +
                                         "\" Section=\"Plugins\" Key=\"Démo\">[APP]</Add>") +
                     tag("Shortcuts", "<Add Type=\"File\" Dest=\"" + links_ +
                                          "\" Target=\"[APP]\\bin\\руководство.txt\" "
                                          "Description=\"" +
                                          name_ + "\">" + name_ + ".lnk</Add>"),
                 "")},
        {"engine", readAll(EngineProcess::enginePath())},
        {"placeholder", "placeholder"},
        {"руководство", "читай меня\r\n"}};
    ASSERT_TRUE(writeAll(package_, testpayload::build(entries)));
    const std::wstring pathBefore = machineVariable(L"PATH");
    MachineSnapshot before = snapshot();

    ProcessResult run = EngineProcess::run(
        installCommand(package_) + " -configFile=" + inQuotes(config_), "", 120000);
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    const std::wstring app = wide(app_), file = app + L"\\bin\\руководство.txt";
    EXPECT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(machineVariable(L"PATH"), pathBefore + L";" + app + L"\\bin");
    wchar_t value[MAX_PATH] = {};
    GetPrivateProfileStringW(L"Plugins", L"Démo", L"", value, MAX_PATH, wide(unicodeIni_).c_str());
    EXPECT_EQ(std::wstring(value), app);
    EXPECT_EQ(readAll(unicodeIni_).substr(0, 3), bom);
    EXPECT_EQ(linkRead(wide(link)), file + L"|" + wide(name_));
    EXPECT_EQ(registrationValues(name_)["DisplayName"], name_);

    EXPECT_TRUE(uninstallAsRegistered(name_));
    EXPECT_EQ(snapshot().differencesFrom(before), Lines{});
    EXPECT_EQ(machineVariable(L"PATH"), pathBefore);
    EXPECT_EQ(GetFileAttributesW(app.c_str()), INVALID_FILE_ATTRIBUTES);
}
