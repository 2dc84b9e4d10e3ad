// The editable controls of a wizard page, one per field of the description: they show the
// field's variable when created and write it back when the page is left.
#pragma once

#include "config/FieldInfo.h"
#include "ui/WindowLook.h"

#include <windows.h>

class Wizard;

class FieldControl {
  public:
    FieldControl(const FieldInfo& field, Wizard& wizard);
    virtual ~FieldControl() = default;
    FieldControl(const FieldControl&) = delete;
    FieldControl& operator=(const FieldControl&) = delete;

    // Creates the windows at (x, *y), advances *y by the control's height, then loads.
    virtual void create(HWND parent, int firstId, int x, int* y) = 0;
    // A command the main window received.
    virtual void onCommand(int id, int code, HWND sender) = 0;
    virtual void load() = 0;
    virtual void store() = 0;
    virtual void destroyWindows() = 0;
    // Why the value on screen cannot be stored, into reason[size], said to the user who then
    // stays on the page; false when it can.
    virtual bool refuses(char* /*reason*/, int /*size*/) const { return false; }
    // The scale, font and access keys of the windows `create` makes.
    void setLook(const WindowLook& look) { look_ = look; }

    // The control for the field's kind, or null (another kind, or no memory).
    static FieldControl* make(const FieldInfo& field, Wizard& wizard);

  protected:
    // A visible child of the parent in the look's font, at the 96-DPI place scaled; a label
    // ("Static") or a button gets its access key. Null when it cannot be made.
    HWND createChild(const char* className, const char* text, DWORD style, DWORD extendedStyle,
                     int x, int y, int width, int height, int id) const;
    // The variable's value into out[size]; false when the variable does not exist.
    bool readVariable(char* out, int size) const;
    void writeVariable(const char* value) const;
    static void destroy(HWND* window);
    // Widths computed from the field's x become 0, never negative, for fields far right.
    static int widthFrom(int width) { return width > 0 ? width : 0; }

    // The whole variable name: a cut one would store the value under another variable.
    char variable_[sizeof(FieldInfo::variable)];
    char label_[256];
    int firstId_ = 0;
    HWND parent_ = nullptr;
    Wizard& wizard_;
    WindowLook look_;
};
