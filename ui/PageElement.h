#pragma once

struct PageElement {
    // Kinds of element.
    static constexpr int kText = 10;
    static constexpr int kImage = 11;
    static constexpr int kHLine = 12;
    static constexpr int kRichEditText = 13;
    static constexpr int kProgress = 14;
    static constexpr int kList = 15;
    // Alignments.
    static constexpr int kAlignLeft = 20;
    static constexpr int kAlignTop = 21;
    static constexpr int kAlignCenter = 22;
    static constexpr int kAlignRight = 23;
    static constexpr int kAlignBottom = 24;

    char name[100];
    int kind;
    int x, y, w, h;
    char* text; // owned by the installer's element list
    int horizontalAlignment;
    int verticalAlignment;
};
