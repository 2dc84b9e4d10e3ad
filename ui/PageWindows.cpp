#include "ui/PageWindows.h"

#include "package/BoundedText.h"
#include "package/Payload.h"
#include "ui/ImageWindow.h"
#include "ui/Wizard.h"

#include <commctrl.h>
#include <cstring>
#include <richedit.h>
#include <strings.h>

namespace {
constexpr int kFirstElementId = 1000;
const HMENU kNoId = reinterpret_cast<HMENU>(-1);

HMENU idOf(int id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

// Feeds the rich-text box from the unpacked entry, its length known: an entry may hold zero
// bytes, and a text set in one piece would stop at the first.
struct StreamSource {
    const unsigned char* next;
    uint32_t left;
};

DWORD CALLBACK readStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    uint32_t count = wanted > 0 ? static_cast<uint32_t>(wanted) : 0;
    if (count > source->left)
        count = source->left;
    std::memcpy(buffer, source->next, count);
    source->next += count;
    source->left -= count;
    *given = static_cast<LONG>(count);
    return 0;
}
} // namespace

void PageWindows::create(HWND parent, const Wizard& wizard, const Payload* package, int page,
                         const WindowLook& look) {
    look_ = look;
    int id = kFirstElementId;
    for (int i = 0; i < wizard.elementCount(); ++i, ++id) {
        PageElement element = wizard.getElement(i);
        WindowRecord record;
        std::memset(&record, 0, sizeof record);
        record.page = page;
        record.window = createElement(parent, element, package, id);
        copyText(record.name, sizeof record.name, element.name);
        if (!records_.append(record) && record.window != nullptr)
            DestroyWindow(record.window);
    }
}

HWND PageWindows::createChild(HWND parent, DWORD extendedStyle, const char* className,
                              const char* text, DWORD style, const PageElement& element,
                              HMENU id) const {
    return CreateWindowExA(extendedStyle, className, text, WS_CHILD | WS_VISIBLE | style,
                           look_.px(element.x), look_.px(element.y), look_.px(element.w),
                           look_.px(element.h), parent, id, GetModuleHandleA(nullptr), nullptr);
}

void PageWindows::setFont(HWND window) const {
    if (window != nullptr)
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(look_.textFont()), FALSE);
}

void PageWindows::destroyAll() {
    for (int i = 0; i < records_.count(); ++i) {
        if (records_[i].window != nullptr)
            DestroyWindow(records_[i].window);
    }
    records_.clear();
}

HWND PageWindows::find(const char* name) const {
    for (int i = records_.count() - 1; i >= 0; --i) {
        if (strcasecmp(records_[i].name, name) == 0)
            return records_[i].window;
    }
    return nullptr;
}

HWND PageWindows::createElement(HWND parent, const PageElement& element, const Payload* package,
                                int id) {
    HWND window = nullptr;
    switch (element.kind) {
    case PageElement::Kind::kText:
        return createText(parent, element);
    case PageElement::Kind::kImage:
        return ImageWindow::create(parent, GetModuleHandleA(nullptr), look_, element.x, element.y,
                                   ImageEntry::load(package, element.text));
    case PageElement::Kind::kHLine:
        return createChild(parent, 0, "Static", element.text, WS_BORDER, element, kNoId);
    case PageElement::Kind::kRichEditText:
        return createRichText(parent, element, package, id);
    case PageElement::Kind::kProgress:
        window = createChild(parent, WS_EX_CLIENTEDGE, PROGRESS_CLASSA, "", PBS_SMOOTH, element,
                             idOf(id));
        SendMessageA(window, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        break;
    case PageElement::Kind::kList:
        window =
            createChild(parent, WS_EX_CLIENTEDGE, "Listbox", "",
                        WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT,
                        element, idOf(id));
        break;
    default:
        return nullptr;
    }
    setFont(window);
    return window;
}

// Texts show "&" as it is: a status text names files, and a path with "&" in it must read as
// the path.
HWND PageWindows::createText(HWND parent, const PageElement& element) {
    DWORD alignment = SS_LEFT;
    if (element.horizontalAlignment == PageElement::Alignment::kRight)
        alignment = SS_RIGHT;
    else if (element.horizontalAlignment == PageElement::Alignment::kCenter)
        alignment = SS_CENTER;
    HWND window =
        createChild(parent, 0, "Static", element.text, alignment | SS_NOPREFIX, element, kNoId);
    setFont(window);
    return window;
}

HWND PageWindows::createRichText(HWND parent, const PageElement& element, const Payload* package,
                                 int id) {
    HWND window =
        createChild(parent, WS_EX_CLIENTEDGE, "RichEdit20A", "",
                    ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_TABSTOP, element, idOf(id));
    uint32_t length = 0;
    std::unique_ptr<unsigned char[]> text = package != nullptr && element.text != nullptr
                                                ? package->unpack(element.text, &length)
                                                : nullptr;
    if (window == nullptr || text == nullptr)
        return window;
    // The box's default limit would cut a long licence; the reader must see all of it.
    SendMessageA(window, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(length) + 1);
    bool isRichText = length >= 5 && std::memcmp(text.get(), "{\\rtf", 5) == 0;
    StreamSource source = {text.get(), length};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = readStream;
    SendMessageA(window, EM_STREAMIN, isRichText ? SF_RTF : SF_TEXT,
                 reinterpret_cast<LPARAM>(&stream));
    return window;
}
