#include "ui/WindowUI.h"

#include "config/Description.h"
#include "package/BoundedText.h"
#include "package/SystemLibrary.h"
#include "ui/AccessKeys.h"
#include "ui/FieldControl.h"
#include "ui/ImageEntry.h"
#include "ui/ImageWindow.h"
#include "ui/Wizard.h"

#include <commctrl.h>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>

namespace {
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
// Ids a dialog's keyboard handling sends for Enter and Esc.
constexpr int kDialogOk = IDOK;
constexpr int kDialogCancel = IDCANCEL;

HINSTANCE moduleInstance(const WindowContext& context) {
    return context.moduleInstance != nullptr ? static_cast<HINSTANCE>(context.moduleInstance)
                                             : GetModuleHandleA(nullptr);
}

void setFont(HWND window, const WindowLook& look) {
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(look.textFont()), FALSE);
}

bool isPushButton(HWND window) {
    char className[16];
    if (window == nullptr || GetClassNameA(window, className, sizeof className) == 0 ||
        lstrcmpiA(className, "Button") != 0)
        return false;
    LONG type = GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool isRadioButton(HWND window) {
    char className[16];
    if (window == nullptr || GetClassNameA(window, className, sizeof className) == 0 ||
        lstrcmpiA(className, "Button") != 0)
        return false;
    LONG type = GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON;
}

bool startsGroup(HWND window) {
    return (GetWindowLongA(window, GWL_STYLE) & WS_GROUP) != 0;
}

bool isEditBox(HWND window) {
    char className[8];
    return window != nullptr && GetClassNameA(window, className, sizeof className) != 0 &&
           lstrcmpiA(className, "Edit") == 0;
}

bool isUsable(HWND window) {
    return window != nullptr && IsWindow(window) && IsWindowEnabled(window) &&
           IsWindowVisible(window);
}
} // namespace

WindowUI::WindowUI() : fields_(20) {}

WindowUI::~WindowUI() {
    destroyFieldControls();
    if (icon_ != nullptr)
        DestroyIcon(icon_);
    if (font_ != nullptr)
        DeleteObject(font_);
}

bool WindowUI::run() {
    if (!buildWindow())
        return false;
    MSG message;
    while (!quitRequested_) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        // A failing queue (-1) ends the loop as the quit does: it would fail for ever.
        if (got <= 0)
            break;
        dispatch(message);
    }
    quitRequested_ = false;
    // A quit posted after the first one was seen would close the next message box at once.
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    if (mainWindow_ != nullptr)
        DestroyWindow(mainWindow_);
    return true;
}

bool WindowUI::buildWindow() {
    if (wizard_ == nullptr)
        return false;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    auto* initControls = SystemLibrary::function<decltype(InitCommonControlsEx)>(
        "comctl32.dll", "InitCommonControlsEx");
    // Without the common controls the window still works; only its progress bars are missing.
    if (initControls != nullptr)
        initControls(&controls);
    makeLook();
    makeAppIcon();
    if (!registerClasses())
        return false;
    char title[512];
    makeTitle(title, sizeof title);
    int caption =
        context_.captionHeight > 0 ? context_.captionHeight : GetSystemMetrics(SM_CYCAPTION);
    quitRequested_ = false;
    mainWindow_ = CreateWindowExA(0, kClassName, title,
                                  WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  0, 0, look_.px(kWidth), look_.px(kHeight) + caption, nullptr,
                                  nullptr, moduleInstance(context_), this);
    if (mainWindow_ == nullptr)
        return false;
    createButtons();
    // Help without a document to show would only disappoint.
    show(help_, wizard_->hasHelpDocument());
    wizard_->showDialog(wizard_->currentDialog(), this);
    RECT client = {};
    if (mainWindow_ != nullptr && GetClientRect(mainWindow_, &client))
        layout(client.right, client.bottom);
    SetForegroundWindow(mainWindow_);
    focusPage();
    // A first page that ends the wizard by itself (a cancel at the installation's first
    // question) must end the loop too: no command will come to do it.
    if (wizard_->isCancelled())
        requestQuit(-1);
    else if (wizard_->isFinished())
        requestQuit(0);
    return true;
}

// The screen's DPI (the manifest declares the process DPI-aware, so the system reports the real
// one) and a font of the default GUI font's 8 points at that DPI.
void WindowUI::makeLook() {
    HDC screen = GetDC(nullptr);
    int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : WindowLook::kBaseDpi;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    look_.dpi =
        dpi >= WindowLook::kBaseDpi && dpi <= 4 * WindowLook::kBaseDpi ? dpi : WindowLook::kBaseDpi;
    if (look_.dpi != WindowLook::kBaseDpi && font_ == nullptr) {
        LOGFONTA font = {};
        if (GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font) == sizeof font) {
            font.lfHeight = -MulDiv(8, look_.dpi, 72);
            font.lfWidth = 0;
            font_ = CreateFontIndirectA(&font);
        }
    }
    look_.font = look_.dpi != WindowLook::kBaseDpi ? font_ : nullptr;
}

void WindowUI::makeTitle(char* title, int size) const {
    char product[256] = {};
    char version[256] = {};
    if (context_.product != nullptr) {
        context_.product->getProductName(product, sizeof product);
        context_.product->getVersionString(version, sizeof version);
    }
    bool uninstalling = wizard_ != nullptr && wizard_->isUninstalling();
    boundedFormat(title, size, "%s%s - ver. %s", uninstalling ? "Uninstall " : "", product,
                  version);
}

void WindowUI::makeAppIcon() {
    if (icon_ != nullptr)
        return;
    std::unique_ptr<ImageEntry> image = ImageEntry::load(context_.package, "AppIcon");
    if (image == nullptr)
        return;
    size_t maskSize = static_cast<size_t>(image->width()) * image->height() * 4;
    std::unique_ptr<unsigned char[]> mask(new (std::nothrow) unsigned char[maskSize]);
    if (mask == nullptr)
        return;
    std::memset(mask.get(), 0, maskSize);
    icon_ = CreateIcon(moduleInstance(context_), image->width(), image->height(), 1, 32, mask.get(),
                       image->pixels());
}

bool WindowUI::registerClasses() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = mainProcedure;
    windowClass.hInstance = moduleInstance(context_);
    windowClass.hIcon = icon_;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    bool registered =
        RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered && ImageWindow::registerClass(moduleInstance(context_));
}

void WindowUI::createButtons() {
    // Help opens the group of the buttons, so that arrow keys in a radio field above stay in
    // that field.
    help_ = createButton("&Help", kHelpId, WS_GROUP);
    back_ = createButton("< &Back", kBackId, 0);
    next_ = createButton("&Next >", kNextId, BS_DEFPUSHBUTTON);
    cancel_ = createButton("&Cancel", kCancelId, 0);
    separator_ =
        CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 0, 0, mainWindow_,
                        reinterpret_cast<HMENU>(-1), moduleInstance(context_), nullptr);
}

HWND WindowUI::createButton(const char* caption, int id, DWORD style) {
    HWND button = CreateWindowExA(
        0, "Button", caption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | style, 0, 0,
        look_.px(kButtonWidth), look_.px(kButtonHeight), mainWindow_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), moduleInstance(context_), nullptr);
    if (button != nullptr)
        setFont(button, look_);
    return button;
}

void WindowUI::layout(int width, int height) {
    struct Place {
        HWND window;
        int x;
    };
    const Place places[] = {{help_, look_.px(10)},
                            {back_, width - look_.px(260)},
                            {next_, width - look_.px(185)},
                            {cancel_, width - look_.px(85)}};
    for (const Place& place : places) {
        if (place.window != nullptr)
            MoveWindow(place.window, place.x, height - look_.px(35), look_.px(kButtonWidth),
                       look_.px(kButtonHeight), TRUE);
    }
    if (separator_ != nullptr)
        MoveWindow(separator_, 0, height - look_.px(50), width, 1, TRUE);
}

LRESULT CALLBACK WindowUI::mainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<WindowUI*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return self->handleMessage(window, message, wParam, lParam);
}

LRESULT WindowUI::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        onCreate(window);
        break;
    case WM_SIZE:
        layout(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_CLOSE:
        if (!onClose())
            return 0;
        break;
    case WM_GETICON:
        if (icon_ != nullptr)
            return reinterpret_cast<LRESULT>(icon_);
        break;
    case WM_COMMAND:
        onCommand(wParam, lParam);
        break;
    case WM_NEXTDLGCTL:
        // What a dialog does for its controls' keyboard handling; this window is no dialog.
        if (lParam != 0 && isUsable(reinterpret_cast<HWND>(wParam)))
            SetFocus(reinterpret_cast<HWND>(wParam));
        else if (lParam == 0)
            moveFocus(wParam != 0);
        return 0;
    case WM_ACTIVATE:
        // Coming back from a message box or another program, the keyboard goes where it was.
        if (LOWORD(wParam) == WA_INACTIVE) {
            savedFocus_ = GetFocus();
        } else if (isUsable(savedFocus_) && IsChild(window, savedFocus_)) {
            SetFocus(savedFocus_);
            return 0;
        }
        break;
    case WM_DESTROY:
        onDestroy();
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void WindowUI::onCreate(HWND window) {
    setFont(window, look_);
    RECT frame;
    GetWindowRect(window, &frame);
    int x = (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
}

// The window goes before the run inside a command may have ended: everything that points at
// its children is let go now, so that nothing later aims at a window that is no more.
void WindowUI::onDestroy() {
    destroyFieldControls();
    pageWindows_.destroyAll();
    mainWindow_ = nullptr;
    back_ = next_ = cancel_ = help_ = separator_ = nullptr;
    savedFocus_ = nullptr;
}

// The window never disappears under a running installation or uninstall: closing does nothing
// then, as the buttons do. Otherwise the wizard takes it as a cancel before the run and as the
// end after it.
bool WindowUI::onClose() {
    if (navigating_)
        return false;
    if (wizard_ != nullptr)
        wizard_->closeWindow();
    requestQuit(wizard_ != nullptr && wizard_->isCancelled() ? -1 : 0);
    return true;
}

// The close box and Alt+F4 look as they act.
void WindowUI::allowClose(bool allowed) {
    HMENU menu = mainWindow_ != nullptr ? GetSystemMenu(mainWindow_, FALSE) : nullptr;
    if (menu != nullptr)
        EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (allowed ? MF_ENABLED : MF_GRAYED));
}

void WindowUI::onCommand(WPARAM wParam, LPARAM lParam) {
    int id = LOWORD(wParam);
    if (id == kDialogCancel)
        id = kCancelId;
    else if (id == kDialogOk)
        id = kNextId;
    if (id >= kHelpId && id <= kCancelId)
        runNavigation(id);
    auto sender = reinterpret_cast<HWND>(lParam);
    for (int i = 0; i < fields_.count(); ++i)
        fields_[i]->onCommand(LOWORD(wParam), HIWORD(wParam), sender);
    if (wizard_ == nullptr)
        return;
    if (wizard_->isCancelled())
        requestQuit(-1);
    else if (wizard_->isFinished())
        requestQuit(0);
}

// A button's command, also when it comes from the keyboard. A disabled button does nothing, and
// one that comes while another navigation runs (the installation calls processEvents) waits:
// the wizard must not move under a run.
void WindowUI::runNavigation(int id) {
    const HWND buttons[] = {help_, back_, next_, cancel_};
    if (wizard_ == nullptr || navigating_ || !isUsable(buttons[id - kHelpId]))
        return;
    if ((id == kBackId || id == kNextId) && !fieldsCanBeStored())
        return;
    navigating_ = true;
    allowClose(false);
    if (id == kHelpId)
        wizard_->showHelpDocument();
    else if (id == kBackId)
        wizard_->previousDialog(this);
    else if (id == kNextId)
        wizard_->nextDialog(this);
    else
        wizard_->cancelDialog(this);
    navigating_ = false;
    allowClose(true);
    focusPage();
}

bool WindowUI::fieldsCanBeStored() {
    for (int i = 0; i < fields_.count(); ++i) {
        char reason[512];
        if (fields_[i]->refuses(reason, sizeof reason)) {
            MessageBoxA(messageOwner(), reason, "Installation", MB_OK | MB_ICONWARNING);
            return false;
        }
    }
    return true;
}

void WindowUI::requestQuit(int code) {
    PostQuitMessage(code);
}

void WindowUI::showPage(int page) {
    if (wizard_ == nullptr)
        return;
    pageWindows_.destroyAll();
    if (mainWindow_ != nullptr)
        pageWindows_.create(mainWindow_, *wizard_, context_.package, page, look_);
    showFields(page);
}

void WindowUI::showFields(int page) {
    destroyFieldControls();
    if (wizard_ == nullptr || mainWindow_ == nullptr)
        return;
    // The buttons' captions keep their keys; the fields' labels take free ones.
    AccessKeys keys;
    for (HWND button : {help_, back_, next_, cancel_}) {
        char caption[64] = {};
        if (button != nullptr && IsWindowVisible(button) &&
            GetWindowTextA(button, caption, sizeof caption) > 0)
            keys.reserve(caption);
    }
    WindowLook look = look_;
    look.keys = &keys;
    int y = kFieldsTop;
    for (int i = 0; i < wizard_->fieldCount(); ++i) {
        FieldInfo field = wizard_->getField(i);
        if (field.page != page)
            continue;
        if (field.y != -1)
            y = field.y;
        FieldControl* control = FieldControl::make(field, *wizard_);
        if (control == nullptr)
            continue;
        control->setLook(look);
        control->create(mainWindow_, kFirstFieldId, field.x != -1 ? field.x : 0, &y);
        if (!fields_.append(control))
            delete control;
    }
    putButtonsLast();
}

// Tab goes through the page's fields first, then the buttons.
void WindowUI::putButtonsLast() {
    for (HWND button : {help_, back_, next_, cancel_}) {
        if (button != nullptr)
            SetWindowPos(button, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

// Keeps the keyboard on a control of the window: a page change destroys the focused field,
// and a disabled button takes no keys.
void WindowUI::focusPage() {
    if (mainWindow_ == nullptr)
        return;
    HWND focus = GetFocus();
    if (focus != mainWindow_ && isUsable(focus) && IsChild(mainWindow_, focus))
        return;
    HWND target = fields_.count() > 0 ? GetNextDlgTabItem(mainWindow_, nullptr, FALSE) : nullptr;
    if (!isUsable(target) || !IsChild(mainWindow_, target))
        target = isUsable(next_) ? next_ : mainWindow_;
    SetFocus(target);
    if (isEditBox(target))
        SendMessageA(target, EM_SETSEL, 0, -1);
}

void WindowUI::storeFields(int) {
    if (wizard_ == nullptr)
        return;
    for (int i = 0; i < fields_.count(); ++i)
        fields_[i]->store();
}

void WindowUI::destroyFieldControls() {
    for (int i = 0; i < fields_.count(); ++i) {
        fields_[i]->destroyWindows();
        delete fields_[i];
    }
    fields_.clear();
}

// The run goes on whatever the window is asked: it cannot be stopped half done. A quit waits
// for its end.
bool WindowUI::processEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            quitRequested_ = true;
        else
            dispatch(message);
    }
    return true;
}

// Through the wide functions: a character typed into a field reaches the control as the
// character it is, where the narrow ones would hand it over in the code page, one unit at a time.
void WindowUI::dispatch(MSG& message) {
    if (handleWizardKey(message))
        return;
    if (mainWindow_ != nullptr && IsDialogMessageW(mainWindow_, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

// Enter, Esc, Tab and the arrows behave on every control of the window as in a dialog: Enter
// presses the focused push button or else Next, Esc is Cancel, Tab and Shift+Tab move through
// the controls, the arrows through a radio field's buttons. Handled here because some controls (the
// rich-text box) would take these keys for themselves.
bool WindowUI::handleWizardKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || mainWindow_ == nullptr ||
        (message.hwnd != mainWindow_ && !IsChild(mainWindow_, message.hwnd)))
        return false;
    switch (message.wParam) {
    case VK_RETURN: {
        HWND focus = GetFocus();
        bool onButton = isPushButton(focus) && IsChild(mainWindow_, focus) && isUsable(focus);
        HWND button = onButton ? focus : next_;
        SendMessageA(mainWindow_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        return true;
    }
    case VK_ESCAPE:
        SendMessageA(mainWindow_, WM_COMMAND, MAKEWPARAM(kCancelId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(cancel_));
        return true;
    case VK_TAB:
        moveFocus((GetKeyState(VK_SHIFT) & 0x8000) != 0);
        return true;
    case VK_UP:
    case VK_LEFT:
        return moveInRadioGroup(true);
    case VK_DOWN:
    case VK_RIGHT:
        return moveInRadioGroup(false);
    default:
        return false;
    }
}

void WindowUI::moveFocus(bool backwards) {
    if (mainWindow_ == nullptr)
        return;
    HWND focus = GetFocus();
    HWND from = IsChild(mainWindow_, focus) ? focus : nullptr;
    HWND target = GetNextDlgTabItem(mainWindow_, from, backwards ? TRUE : FALSE);
    if (target == nullptr)
        return;
    SetFocus(target);
    if (isEditBox(target))
        SendMessageA(target, EM_SETSEL, 0, -1);
}

// The arrow keys choose the previous or next button of a radio field, as in a dialog. A field's
// buttons are siblings in a row, its first one opening the group.
bool WindowUI::moveInRadioGroup(bool backwards) {
    HWND focus = GetFocus();
    if (!isRadioButton(focus) || !IsChild(mainWindow_, focus))
        return false;
    HWND target = nullptr;
    if (backwards && !startsGroup(focus))
        target = GetWindow(focus, GW_HWNDPREV);
    else if (!backwards)
        target = GetWindow(focus, GW_HWNDNEXT);
    if (isRadioButton(target) && (backwards || !startsGroup(target)) && isUsable(target)) {
        SetFocus(target);
        SendMessageA(target, BM_CLICK, 0, 0);
    }
    return true;
}

HWND WindowUI::messageOwner() const {
    // After the window was closed during a run, a question is still asked, without an owner.
    return mainWindow_ != nullptr && IsWindow(mainWindow_) ? mainWindow_ : nullptr;
}

// Cancel is offered only before the run: nothing has changed yet.
bool WindowUI::confirmCancel() {
    if (wizard_ == nullptr)
        return true;
    char product[256] = {};
    if (context_.product != nullptr)
        context_.product->getProductName(product, sizeof product);
    char text[512];
    if (wizard_->isUninstalling())
        boundedFormat(text, sizeof text,
                      "Do you want to cancel the uninstall of %s?\n\nNothing has been removed yet.",
                      product);
    else
        boundedFormat(text, sizeof text,
                      "Do you want to cancel the installation of %s?\n\nNothing has been "
                      "installed yet.",
                      product);
    return MessageBoxA(messageOwner(), text, "Cancel confirmation",
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool WindowUI::ask(const char* text, Question kind) {
    if (text == nullptr)
        text = "";
    switch (kind) {
    case Question::kOkCancel:
        return MessageBoxA(messageOwner(), text, "Installation", MB_OKCANCEL) == IDOK;
    case Question::kYesNo:
        return MessageBoxA(messageOwner(), text, "Installation", MB_YESNO) == IDYES;
    case Question::kNotice:
        break;
    }
    MessageBoxA(messageOwner(), text, "Installation", MB_OK);
    return true;
}

void WindowUI::setCaption(HWND button, const char* text) {
    if (button != nullptr)
        SetWindowTextA(button, text != nullptr ? text : "");
}

void WindowUI::enable(HWND button, bool enabled) {
    if (button != nullptr)
        EnableWindow(button, enabled ? TRUE : FALSE);
}

void WindowUI::show(HWND button, bool shown) {
    if (button != nullptr)
        ShowWindow(button, shown ? SW_SHOW : SW_HIDE);
}

// A page without the bar shows no progress; the run goes on all the same.
void WindowUI::setProgress(const char* name, int percent) {
    HWND bar = pageWindows_.find(name);
    if (bar != nullptr)
        SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void WindowUI::setStatusText(const char* text) {
    HWND status = pageWindows_.find("Destination");
    if (status != nullptr)
        SetWindowTextA(status, text != nullptr ? text : "");
}

// The list is only what the user sees of the run: a line it cannot show never stops the run.
bool WindowUI::reportLine(const char* text) {
    HWND list = pageWindows_.find("Destfilelist");
    if (list == nullptr || text == nullptr)
        return true;
    LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index < 0)
        return true;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    HDC dc = GetDC(list);
    if (dc == nullptr)
        return true;
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, previous);
    ReleaseDC(list, dc);
    // A few pixels for the item's margins, so that the end of a long path can be scrolled to.
    int wanted = size.cx + 6;
    if (wanted > SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0))
        SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(wanted), 0);
    return true;
}
