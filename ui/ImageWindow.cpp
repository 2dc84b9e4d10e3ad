#include "ui/ImageWindow.h"

namespace {
ImageEntry* imageOf(HWND window) {
    return reinterpret_cast<ImageEntry*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}
} // namespace

bool ImageWindow::registerClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND ImageWindow::create(HWND parent, HINSTANCE instance, const WindowLook& look, int x, int y,
                         std::unique_ptr<ImageEntry> image) {
    if (image == nullptr)
        return nullptr;
    // The window is made at the picture's size, whatever the element says. It takes the
    // picture while it is being created; when creation fails before that, the picture is still
    // ours and released here.
    std::unique_ptr<ImageEntry> holder = std::move(image);
    return CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, look.px(x), look.px(y),
                           look.px(holder->width()), look.px(holder->height()), parent,
                           reinterpret_cast<HMENU>(-1), instance, &holder);
}

LRESULT CALLBACK ImageWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* holder = static_cast<std::unique_ptr<ImageEntry>*>(create->lpCreateParams);
        ImageEntry* image = holder != nullptr ? holder->release() : nullptr;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(image));
        break;
    }
    case WM_PAINT:
        if (imageOf(window) != nullptr) {
            paint(window, *imageOf(window));
            return 0;
        }
        break;
    case WM_NCDESTROY:
        delete imageOf(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void ImageWindow::paint(HWND window, const ImageEntry& image) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width();
    info.bmiHeader.biHeight = -image.height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    RECT client = {};
    GetClientRect(window, &client);
    if (client.right == image.width() && client.bottom == image.height()) {
        SetDIBitsToDevice(dc, 0, 0, image.width(), image.height(), 0, 0, 0, image.height(),
                          image.pixels(), &info, DIB_RGB_COLORS);
    } else {
        // Scaled with the window: smoothed rather than with repeated pixels.
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, image.width(), image.height(),
                      image.pixels(), &info, DIB_RGB_COLORS, SRCCOPY);
    }
    EndPaint(window, &paint);
}
