// How the wizard draws at the screen's resolution. Every position and size, in the description
// and in the code, is in pixels at 96 DPI; the window scales them to the screen's DPI and draws
// its texts in a font made for that DPI, so that nothing is clipped when Windows scales.
#pragma once

#include <windows.h>

class AccessKeys;

struct WindowLook {
    static constexpr int kBaseDpi = 96;
    int dpi = kBaseDpi;
    // Owned by the window; null: the system's default GUI font.
    HFONT font = nullptr;
    // The access keys of the page being made; null: labels stay as written.
    AccessKeys* keys = nullptr;

    int px(int value) const { return MulDiv(value, dpi, kBaseDpi); }
    HFONT textFont() const {
        return font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
};
