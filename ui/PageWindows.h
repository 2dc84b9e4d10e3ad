// The windows of the page elements on screen (texts, images, the rich-text box, progress bars,
// lists), made from the wizard's element list and found again by the elements' names.
#pragma once

#include "package/RecordList.h"
#include "ui/PageElement.h"
#include "ui/WindowLook.h"
#include "ui/WindowRecord.h"

#include <windows.h>

class Payload;
class Wizard;

class PageWindows {
  public:
    PageWindows() : records_(5) {}
    ~PageWindows() { destroyAll(); }
    PageWindows(const PageWindows&) = delete;
    PageWindows& operator=(const PageWindows&) = delete;

    // The page's element windows at their places scaled to the look's DPI, in its font.
    void create(HWND parent, const Wizard& wizard, const Payload* package, int page,
                const WindowLook& look);
    void destroyAll();
    // The newest window of that name (names compared without case), or null.
    HWND find(const char* name) const;

  private:
    HWND createElement(HWND parent, const PageElement& element, const Payload* package, int id);
    HWND createText(HWND parent, const PageElement& element);
    HWND createRichText(HWND parent, const PageElement& element, const Payload* package, int id);

    HWND createChild(HWND parent, DWORD extendedStyle, const char* className, const char* text,
                     DWORD style, const PageElement& element, HMENU id) const;
    void setFont(HWND window) const;

    RecordList<WindowRecord> records_;
    WindowLook look_;
};
