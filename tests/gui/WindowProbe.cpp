// What the wizard window shows, for the scripts: one "class|text|flags" line per control in tab
// order (d disabled, h hidden, f focused, c checked), once a visible control holds TEXT.
//     kestrel_window_probe [TEXT [SECONDS]] | --box TITLE [SECONDS] | --manifest IMAGE
#include <windows.h>

#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
std::string textOf(HWND window) {
    char text[1024] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

std::string describe(HWND control, HWND focus) {
    char className[64] = {};
    GetClassNameA(control, className, sizeof className);
    std::string text = textOf(control);
    if (lstrcmpiA(className, PROGRESS_CLASSA) == 0) {
        text = "pos=" + std::to_string(SendMessageA(control, PBM_GETPOS, 0, 0));
    } else if (lstrcmpiA(className, "ListBox") == 0) {
        LRESULT count = SendMessageA(control, LB_GETCOUNT, 0, 0);
        // Read as wide text: Wine hands list lines to another process only that way.
        wchar_t line[1024] = {};
        char last[2048] = {};
        if (count > 0 && SendMessageW(control, LB_GETTEXTLEN, count - 1, 0) < 1024)
            SendMessageW(control, LB_GETTEXT, count - 1, reinterpret_cast<LPARAM>(line));
        WideCharToMultiByte(CP_ACP, 0, line, -1, last, sizeof last, nullptr, nullptr);
        text = "items=" + std::to_string(count) + " last=" + last;
    }
    std::string flags;
    if (!IsWindowEnabled(control))
        flags += 'd';
    if (!IsWindowVisible(control))
        flags += 'h';
    if (control == focus)
        flags += 'f';
    if (lstrcmpiA(className, "Button") == 0 &&
        SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED)
        flags += 'c';
    return std::string(className) + "|" + text + "|" + flags;
}

std::string dump(HWND wizard, bool* found, const char* wanted) {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(wizard, nullptr), &thread);
    RECT frame;
    GetWindowRect(wizard, &frame);
    std::string out = "window|" + textOf(wizard) + "|" + std::to_string(frame.left) + "," +
                      std::to_string(frame.top) + " " + std::to_string(frame.right - frame.left) +
                      "x" + std::to_string(frame.bottom - frame.top) + "\n";
    for (HWND child = GetWindow(wizard, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        std::string line = describe(child, thread.hwndFocus);
        if (IsWindowVisible(child) && line.find(wanted) != std::string::npos)
            *found = true;
        out += line + "\n";
    }
    return out;
}
} // namespace

int printBox(const char* title, int seconds) {
    for (int tries = 0; tries < seconds * 10; ++tries) {
        HWND box = FindWindowA("#32770", title);
        char text[2048] = {};
        if (box != nullptr && GetDlgItemTextA(box, 0xffff, text, sizeof text) > 0) {
            std::printf("%s\n", text);
            return 0;
        }
        Sleep(100);
    }
    return 1;
}

int printManifest(const char* image) {
    HMODULE module =
        LoadLibraryExA(image, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    HRSRC resource = module != nullptr
                         ? FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))
                         : nullptr;
    HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const char* text = loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (text != nullptr)
        std::fwrite(text, 1, SizeofResource(module, resource), stdout);
    if (module != nullptr)
        FreeLibrary(module);
    return text != nullptr ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--box")
        return printBox(argv[2], argc > 3 ? std::atoi(argv[3]) : 20);
    if (argc > 2 && std::string(argv[1]) == "--manifest")
        return printManifest(argv[2]);
    const char* wanted = argc > 1 ? argv[1] : "";
    int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
    std::string last = "no wizard window\n";
    for (int tries = 0; tries < seconds * 10; ++tries) {
        HWND wizard = FindWindowA("VX::INSTALLER", nullptr);
        if (wizard != nullptr) {
            bool found = false;
            last = dump(wizard, &found, wanted);
            if (found) {
                std::fputs(last.c_str(), stdout);
                return 0;
            }
        }
        Sleep(100);
    }
    std::fputs(last.c_str(), stdout);
    return 1;
}
