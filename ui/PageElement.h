#pragma once

struct PageElement {
    char name[100];
    int kind; // 10 Text, 11 Image, 12 HLine, 13 RichEditText, 14 Progress, 15 List
    int x, y, w, h;
    char* text; // owned by the installer's element list
    int horizontalAlignment;
    int verticalAlignment;
};
