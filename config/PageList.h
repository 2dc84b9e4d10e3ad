// The wizard's pages ("Dialogs", or "UninstallDialogs" for an uninstall) and the input fields
// on them, read from the description. A page or field whose name, condition or variable name
// does not fit its record whole cannot be shown as described (cut, it would decide differently
// or set another variable): the read fails and says which.
#pragma once

#include "config/DialogInfo.h"
#include "config/FieldInfo.h"
#include "package/RecordList.h"

class Log;
class VariableStore;
class XmlDocument;

class PageList {
  public:
    PageList() : dialogs_(5), fields_(5) {}

    // False when the description has no such page list, a text does not fit (problem() says
    // which) or memory runs out.
    bool readDialogs(const XmlDocument& document, int uninstalling, Log* debugLog);
    // The Field elements of the pages read (none for an uninstall); false as above.
    bool readFields(const XmlDocument& document, int uninstalling, Log* debugLog);
    const char* problem() const { return problem_; }

    int dialogCount() const { return dialogs_.count(); }
    // The page record, or a zeroed one for an index out of range.
    DialogInfo dialog(int index) const;
    // Pages keep their handler (a running-programs check) here.

    int fieldCount() const { return fields_.count(); }
    // The field record; a zeroed one out of range, and page -1 while its condition does not
    // hold.
    FieldInfo field(int index, const VariableStore& variables) const;

  private:
    // Records why a text does not fit; false.
    bool refuse(Log* debugLog, const char* text, const char* owner, const char* name, int textSize);

    RecordList<DialogInfo> dialogs_;
    RecordList<FieldInfo> fields_;
    char problem_[512] = {};
};
