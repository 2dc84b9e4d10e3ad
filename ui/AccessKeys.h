// The access keys of one page: every button and field label gets one (Alt + the underlined
// character). A caption that marks its key ("&Next >") keeps it; a label from the description
// that marks none gets the first of its letters and digits that no other control of the page
// has taken.
#pragma once

class AccessKeys {
  public:
    // Notes the key a caption marks, if any.
    void reserve(const char* caption);
    // The label with its access key into out[size]: as written when it marks one (then
    // reserved), else with "&" before its first free letter or digit, or as written when none is
    // free. A literal "&" is written "&&". False (out empty) when it does not fit.
    bool assign(const char* label, char* out, int size);
    // The character a caption marks, in lower case, or 0.
    static char markedKey(const char* caption);

  private:
    bool taken_[256] = {};
};
