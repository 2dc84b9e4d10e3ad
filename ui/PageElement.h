#pragma once

struct PageElement {
    // kNone (zero) is what an element outside the page's list reads as.
    enum class Kind { kNone = 0, kText = 10, kImage, kHLine, kRichEditText, kProgress, kList };
    // kNone: the description names no alignment (or one not known).
    enum class Alignment { kNone = 0, kLeft = 20, kTop, kCenter, kRight, kBottom };

    char name[100];
    Kind kind;
    int x, y, w, h;
    char* text; // owned by the installer's element list
    Alignment horizontalAlignment;
    Alignment verticalAlignment;
};
