// The window class "VX::INSTALLER::IMAGE": a child window that shows one picture of the package
// at its natural size, scaled
// with the window. The window owns its picture from its creation to its destruction.
#pragma once

#include "ui/ImageEntry.h"
#include "ui/WindowLook.h"

#include <memory>
#include <windows.h>

class ImageWindow {
  public:
    static constexpr const char* kClassName = "VX::INSTALLER::IMAGE";

    static bool registerClass(HINSTANCE instance);
    // A visible child at (x, y), sized to the picture, both scaled to the look's DPI; null when
    // it cannot be made (the picture is released then too).
    static HWND create(HWND parent, HINSTANCE instance, const WindowLook& look, int x, int y,
                       std::unique_ptr<ImageEntry> image);

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void paint(HWND window, const ImageEntry& image);
};
