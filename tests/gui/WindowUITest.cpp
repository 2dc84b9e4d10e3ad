// The wizard window in this process, over a description of its own, its windows read back.
#include "ui/WindowUI.h"
#include "config/Description.h"
#include "config/PageList.h"
#include "config/VariableStore.h"
#include "tests/support/RecordingSystem.h"
#include "ui/Wizard.h"
#include "ui/WizardSteps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace {
struct FakeSteps : WizardSteps {
    bool runCopyProgress(InstallerUI&, bool*) override { return true; }
    void runPostInstall(InstallerUI&) override {}
    void showHelpDocument() override {}
    bool hasHelpDocument() const override { return true; }
    bool keepsDestinationWhole(const char*, const char*) override { return true; }
    bool isUninstalling() const override { return false; }
};

// A wizard over the pages given, with the window built and the first page shown.
struct WindowWizard {
    explicit WindowWizard(const std::string& dialogs, bool build = true) {
        text = "<R><ProductDesc><Fullname>Falcon</Fullname></ProductDesc><Dialogs>" + dialogs +
               "</Dialogs></R>";
        description.parse(text.c_str(), text.size());
        pages.readDialogs(description.document(), 0, nullptr);
        pages.readFields(description.document(), 0, nullptr);
        wizard = std::make_unique<Wizard>(pages, description.document(), variables, steps, system);
        wizard->start();
        WindowContext context;
        context.product = &description;
        ui.setContext(context);
        ui.setWizard(wizard.get());
        if (build)
            ui.buildWindow();
    }
    ~WindowWizard() {
        if (ui.mainWindow() != nullptr)
            DestroyWindow(ui.mainWindow());
    }
    // The page's control showing that text (its access key's "&" left out), or null.
    HWND control(const char* caption) const {
        for (HWND child = GetWindow(ui.mainWindow(), GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            char text[1024] = {};
            GetWindowTextA(child, text, sizeof text);
            std::string shown(text);
            shown.erase(std::remove(shown.begin(), shown.end(), '&'), shown.end());
            if (shown == caption || caption == std::string(text))
                return child;
        }
        return nullptr;
    }
    void press(int button) {
        SendMessageA(ui.mainWindow(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    }
    RECT placeOf(const char* caption) const {
        RECT place = {};
        GetWindowRect(control(caption), &place);
        MapWindowPoints(nullptr, ui.mainWindow(), reinterpret_cast<POINT*>(&place), 2);
        return place;
    }
    std::string variable(const char* name) const {
        char value[VariableStore::kValueSize] = "<none>";
        variables.get(name, value, sizeof value);
        return value;
    }
    bool isChecked(const char* caption) const {
        return SendMessageA(control(caption), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    std::string text;
    VariableStore variables;
    Description description{variables};
    PageList pages;
    FakeSteps steps;
    RecordingSystem system;
    std::unique_ptr<Wizard> wizard;
    WindowUI ui;
};

// Answers the next message box titled `title` with `button`, from another thread, while this
// one waits inside it.
std::thread answerMessageBox(const char* title, int button) {
    return std::thread([title, button] {
        for (int tries = 0; tries < 200; ++tries) {
            if (HWND box = FindWindowA("#32770", title))
                return (void)PostMessageA(box, WM_COMMAND, button, 0);
            Sleep(50);
        }
    });
}
} // namespace

// Each case: the radio field's value, the check box's (null: no such variable), and which of the
// radio buttons A and B and the box show checked. Fields without positions stack: a directory
// takes 56 pixels, a check box 24, a radio field 25 + 24 per button + 6.
TEST(WindowUI, FieldControlsStackShowTheirVariablesAndStoreTheChoice) {
    const struct {
        const char *kind, *box, *checked;
    } cases[] = {
        {"1", "", "011"},    // an empty value checks the box
        {"7", "0no", "000"}, // no button 7; a value starting with "0" is clear
        {"0", nullptr, "100"},
    };
    for (const auto& values : cases) {
        WindowWizard page("<Options>"
                          "<Field Type=\"Directory\" Label=\"Folder\">DIR</Field>"
                          "<Field Type=\"CheckBox\" Label=\"Box\">BOX</Field>"
                          "<Field Type=\"RadioButtons\" Label=\"Kind\" Content=\"A;B\">KIND</Field>"
                          "<Field Type=\"CheckBox\" Label=\"Last\">LAST</Field>"
                          "</Options><Finish></Finish>",
                          false);
        page.variables.set("KIND", values.kind);
        if (values.box != nullptr)
            page.variables.set("BOX", values.box);
        page.ui.buildWindow();
        EXPECT_EQ(page.placeOf("Folder").top, 85);
        EXPECT_EQ(page.placeOf("Box").top, 85 + 56);
        EXPECT_EQ(page.placeOf("Kind").top, 85 + 56 + 24);
        EXPECT_EQ(page.placeOf("B").top, 85 + 56 + 24 + 25 + 24);
        EXPECT_EQ(page.placeOf("Last").top, 85 + 56 + 24 + 25 + 2 * 24 + 6);
        EXPECT_EQ(page.placeOf("Browse...").left, 382);
        std::string checked;
        for (const char* caption : {"A", "B", "Box"})
            checked += page.isChecked(caption) ? '1' : '0';
        EXPECT_EQ(checked, values.checked) << values.kind;
        page.ui.storeFields(0);
        EXPECT_EQ(page.variable("KIND") + page.variable("BOX"), checked.substr(1));
    }
}

// A page's text and a field's label in three scripts reach the window as those characters.
TEST(WindowUI, TextsInEveryScriptReachTheWindowWhole) {
    WindowWizard page(
        "<Options><Text x=\"0\" y=\"0\" w=\"300\" h=\"20\">Démo 日本語 Ελληνικά</Text>"
        "<Field Type=\"CheckBox\" Label=\"Документация\">DOCS</Field></Options>"
        "<Finish></Finish>");
    for (const std::wstring expected : {L"Démo 日本語 Ελληνικά", L"Документация"}) {
        bool found = false;
        for (HWND child = GetWindow(page.ui.mainWindow(), GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t text[256] = {};
            GetWindowTextW(child, text, 256);
            std::wstring shown(text);
            shown.erase(std::remove(shown.begin(), shown.end(), L'&'), shown.end());
            found = found || shown == expected;
        }
        EXPECT_TRUE(found) << expected.size();
    }
}

// A long line widens the list's scroll range; a shorter one never narrows it.
TEST(WindowUI, TheFileListScrollsToItsLongestLine) {
    WindowWizard progress("<Copy><List Name=\"Destfilelist\" x=\"0\" y=\"20\" w=\"100\" h=\"100\">"
                          "</List></Copy><Finish></Finish>");
    HWND list = FindWindowExA(progress.ui.mainWindow(), nullptr, "ListBox", nullptr);
    progress.ui.reportLine(std::string(300, 'W').c_str());
    LRESULT wide = SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0);
    EXPECT_GT(wide, 1000);
    progress.ui.reportLine("short");
    EXPECT_EQ(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), wide);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
}

TEST(WindowUI, AFolderTooLongForItsVariableIsRefusedNotCut) {
    WindowWizard page("<Options><Field Type=\"Directory\" Label=\"Folder\">DIR</Field></Options>"
                      "<Second></Second><Finish></Finish>",
                      false);
    page.variables.set("DIR", "C:\\Before");
    page.ui.buildWindow();
    HWND edit = FindWindowExA(page.ui.mainWindow(), nullptr, "Edit", nullptr);
    std::string longest = "C:\\" + std::string(VariableStore::kValueSize - 4, 'f');
    SetWindowTextA(edit, (longest + "g").c_str());
    std::thread answer = answerMessageBox("Installation", IDOK);
    page.press(103);
    answer.join();
    EXPECT_EQ(page.wizard->currentDialog(), 0);
    EXPECT_EQ(page.variable("DIR"), "C:\\Before");

    SetWindowTextA(edit, longest.c_str());
    page.press(103);
    EXPECT_EQ(page.wizard->currentDialog(), 1);
    EXPECT_EQ(page.variable("DIR"), longest);
}

namespace {
// Whether the control's text needs more room than the control has, measured in its own font:
// one line for a button, as many lines as fit for a text. A check box or radio button loses
// the room of its mark.
bool isClipped(HWND control) {
    char className[16] = {};
    char text[1024] = {};
    GetClassNameA(control, className, sizeof className);
    GetWindowTextA(control, text, sizeof text);
    bool isButton = lstrcmpiA(className, "Button") == 0;
    if ((!isButton && lstrcmpiA(className, "Static") != 0) || text[0] == '\0')
        return false;
    RECT client;
    GetClientRect(control, &client);
    LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    bool hasMark = isButton && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON;
    int room = client.right - (hasMark ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0);
    HDC dc = GetDC(control);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT needed = {0, 0, room, 0};
    DrawTextA(dc, text, -1, &needed, DT_CALCRECT | (isButton ? DT_SINGLELINE : DT_WORDBREAK));
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return needed.right > room || needed.bottom > client.bottom;
}
} // namespace

// The demo's pages at the screen's DPI (the script runs this at 96 and at 144): the window, fixed
// and centred, scales by DPI / 96 and every text fits its control.
TEST(WindowUI, TheDemoPagesScaleWithTheScreenAndClipNoText) {
    std::ifstream file("examples/demo/product/install.xml");
    std::stringstream read;
    read << file.rdbuf();
    std::string description = read.str();
    size_t start = description.find("<Dialogs>") + 9;
    ASSERT_NE(start, std::string::npos + 9);
    WindowWizard page(description.substr(start, description.find("</Dialogs>") - start));
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT frame;
    GetWindowRect(page.ui.mainWindow(), &frame);
    EXPECT_EQ(frame.right - frame.left, MulDiv(500, dpi, 96));
    EXPECT_EQ(frame.bottom - frame.top, MulDiv(380, dpi, 96) + GetSystemMetrics(SM_CYCAPTION));
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
    EXPECT_EQ(GetWindowLongA(page.ui.mainWindow(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX),
              0);
    for (int index = 0; index < page.wizard->dialogCount(); ++index) {
        page.wizard->showDialog(index, &page.ui);
        for (HWND child = GetWindow(page.ui.mainWindow(), GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            char text[64] = {};
            GetWindowTextA(child, text, sizeof text);
            EXPECT_FALSE(isClipped(child)) << "page " << index << " at " << dpi << " DPI: " << text;
        }
    }
}
