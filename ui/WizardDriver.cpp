// The wizard's navigation through the pages of the description: showing a page with its buttons
// and elements, the pages with a meaning of their own ("License", "Finish" / "BadFinish",
// "CopyProgress", "RunningApps"), and Next, Back and Cancel.
//
// Pages that are passed over (a false condition, or a "RunningApps" page with nothing running)
// are stepped over in loops that move strictly in one direction, so no description can make a
// step go on for ever.
#include "startup/Installer.h"

#include "package/BoundedText.h"
#include "ui/InstallerUI.h"
#include "ui/PageCheck.h"
#include "ui/RunningAppsCheck.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <strings.h>

namespace {
constexpr int kText = 10;
constexpr int kImage = 11;
constexpr int kHLine = 12;
constexpr int kRichEditText = 13;
constexpr int kProgress = 14;
constexpr int kList = 15;

constexpr int kAlignLeft = 20;
constexpr int kAlignTop = 21;
constexpr int kAlignCenter = 22;
constexpr int kAlignRight = 23;
constexpr int kAlignBottom = 24;

struct NamedValue {
    const char* name;
    int value;
};

constexpr NamedValue kElementKinds[] = {{"Text", kText},         {"Image", kImage},
                                        {"HLine", kHLine},       {"RichEditText", kRichEditText},
                                        {"Progress", kProgress}, {"List", kList}};
constexpr NamedValue kHorizontalAlignments[] = {
    {"left", kAlignLeft}, {"right", kAlignRight}, {"center", kAlignCenter}};
constexpr NamedValue kVerticalAlignments[] = {{"top", kAlignTop}, {"bottom", kAlignBottom}};

// The value whose name matches the text ignoring case; 0 for none or no text.
template <size_t Count> int valueNamed(const NamedValue (&table)[Count], const char* text) {
    if (text == nullptr)
        return 0;
    for (const NamedValue& entry : table) {
        if (strcasecmp(entry.name, text) == 0)
            return entry.value;
    }
    return 0;
}

int numberOr(const char* text, int absent) {
    return text != nullptr ? std::atoi(text) : absent;
}

// A copy of the element's text in which every backslash + "n" reads CR LF. Both are two
// bytes long, so the copy keeps the original's length. Null when memory runs out.
char* textWithLineBreaks(const char* text) {
    if (text == nullptr)
        text = "";
    size_t length = std::strlen(text);
    char* copy = new (std::nothrow) char[length + 1];
    if (copy == nullptr)
        return nullptr;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\\' && text[i + 1] == 'n') {
            copy[i] = '\r';
            copy[i + 1] = '\n';
            ++i;
        } else {
            copy[i] = text[i];
        }
    }
    copy[length] = '\0';
    return copy;
}
} // namespace

int Installer::firstDialog() {
    return searchForward(0);
}

int Installer::lastDialog() {
    return searchBackward(dialogs_.count() - 1);
}

int Installer::searchForward(int from) {
    for (int i = from < 0 ? 0 : from; i < dialogs_.count(); ++i) {
        if (dialogs_[i].special == 0)
            return i;
    }
    return -1;
}

int Installer::searchBackward(int from) {
    for (int i = from < dialogs_.count() ? from : dialogs_.count() - 1; i >= 0; --i) {
        if (dialogs_[i].special == 0)
            return i;
    }
    return -1;
}

// The last page Next can reach, or a page behind it (a special one, reached by substitution or
// shown first): Next finishes the wizard there instead of looking for a page that is not there.
bool Installer::isWizardEnd(int index, int last) {
    return index >= last || index == dialogs_.count() - 1;
}

int Installer::showDialog(int index, InstallerUI* ui) {
    if (ui == nullptr || index < 0 || index >= dialogs_.count())
        return -1;
    releasePageElements();
    ui->leavePage(currentDialog_);
    setWizardButtons(index, ui);
    if (std::strcmp(dialogs_[index].name, "Finish") == 0 && index + 1 < dialogs_.count() &&
        failed_ != 0 && std::strcmp(dialogs_[index + 1].name, "BadFinish") == 0)
        ++index;
    readPageElements(index);
    currentDialog_ = index;
    ui->storeFields(index);
    ui->showPage(index);
    if (std::strcmp(dialogs_[index].name, "CopyProgress") == 0)
        runCopyProgress(ui);
    if (std::strcmp(dialogs_[index].name, "RunningApps") == 0)
        attachRunningAppsCheck(index, ui);
    return 0;
}

void Installer::setWizardButtons(int index, InstallerUI* ui) {
    if (isWizardEnd(index, lastDialog())) {
        ui->setNextCaption("Finish");
        ui->enableNext(1);
        ui->enableBack(0);
        ui->enableCancel(0);
        ui->enableHelp(0);
        return;
    }
    bool isFirst = index == firstDialog();
    if (std::strcmp(dialogs_[index].name, "License") == 0) {
        ui->setNextCaption("I agree");
        ui->setCancelCaption("I disagree");
        if (isFirst) {
            ui->enableBack(0);
            ui->enableNext(1);
        }
        return;
    }
    ui->setNextCaption("Next");
    ui->setCancelCaption("Cancel");
    ui->enableBack(isFirst ? 0 : 1);
    ui->enableNext(1);
    ui->enableHelp(1);
    ui->enableCancel(1);
}

void Installer::releasePageElements() {
    for (int i = 0; i < elements_.count(); ++i)
        delete[] elements_[i].text;
    elements_.clear();
}

void Installer::readPageElements(int page) {
    IndexList children;
    description_.getChildren(dialogs_[page].elementIndex, &children);
    for (int i = 0; i < children.count(); ++i) {
        int node = children[i];
        int kind = valueNamed(kElementKinds, description_.nodeName(node));
        if (kind == 0)
            continue;
        const char* condition = description_.getAttribute(node, "Condition");
        if (condition != nullptr && evaluateCondition(condition) == 0)
            continue;
        const char* x = description_.getAttribute(node, "x");
        const char* y = description_.getAttribute(node, "y");
        if (x == nullptr || y == nullptr)
            continue;
        PageElement element;
        std::memset(static_cast<void*>(&element), 0, sizeof element);
        element.kind = kind;
        element.x = std::atoi(x);
        element.y = std::atoi(y);
        element.w = numberOr(description_.getAttribute(node, "w"), 0);
        element.h = numberOr(description_.getAttribute(node, "h"), 0);
        element.horizontalAlignment =
            valueNamed(kHorizontalAlignments, description_.getAttribute(node, "HAlign"));
        element.verticalAlignment =
            valueNamed(kVerticalAlignments, description_.getAttribute(node, "VAlign"));
        // The name only finds the element on the page; a cut one is harmless.
        copyText(element.name, sizeof element.name, description_.getAttribute(node, "Name"));
        element.text = textWithLineBreaks(description_.nodeText(node));
        if (element.text == nullptr)
            continue;
        if (!elements_.append(element))
            delete[] element.text;
    }
}

// Runs the installation (or the uninstall) the first time the page is shown. Shown again, for
// example through Back from a later page, it keeps the result of that run: a second run would
// install over the first one's files and back up its own copies.
void Installer::runCopyProgress(InstallerUI* ui) {
    if (copyProgressDone_ == 0) {
        copyProgressDone_ = 1;
        ui->enableBack(0);
        ui->enableNext(0);
        ui->enableHelp(0);
        ui->enableCancel(0);
        failed_ = isUninstalling() ? runUninstall(ui, nullptr) : runInstallation(ui);
    }
    ui->enableBack(0);
    ui->enableNext(1);
    ui->enableHelp(1);
    ui->enableCancel(1);
}

void Installer::attachRunningAppsCheck(int page, InstallerUI* ui) {
    RunningAppsCheck& check = RunningAppsCheck::instance();
    check.clearNames();
    IndexList children;
    description_.getChildren(dialogs_[page].elementIndex, &children);
    for (int i = 0; i < children.count(); ++i) {
        const char* name = description_.nodeText(children[i]);
        if (strcasecmp(description_.nodeName(children[i]), "TestApp") == 0 && name != nullptr &&
            name[0] != '\0' && !check.addName(name))
            logMessage(debugLog_, "No memory for the program name \"%s\"", name);
    }
    dialogs_[page].pageCheck = &check;
    check.setReporting(1);
    check.check(this, ui);
    check.setReporting(0);
}

bool Installer::isPassedOver(int index, InstallerUI* ui) {
    if (index < 0 || index >= dialogs_.count())
        return false;
    const DialogInfo& dialog = dialogs_[index];
    if (dialog.condition[0] != '\0' && evaluateCondition(dialog.condition) == 0)
        return true;
    return dialog.pageCheck != nullptr && dialog.pageCheck->check(this, ui) != 0;
}

int Installer::nextDialog(InstallerUI* ui) {
    if (ui == nullptr)
        return -1;
    int last = lastDialog();
    // Only the page the user is on can hold them; a page passed over by its condition never
    // does, even if it lists a program that runs.
    PageCheck* check = getDialog(currentDialog_).pageCheck;
    if (!isWizardEnd(currentDialog_, last) && check != nullptr && check->check(this, ui) == 0) {
        showDialog(currentDialog_, ui);
        return -1;
    }
    for (;;) {
        if (isWizardEnd(currentDialog_, last)) {
            if (failed_ == 0 && !isUninstalling())
                runActions(ui, "PostInstall");
            finished_ = 1;
            return 0;
        }
        // Not at the end, so a reachable page follows; each round moves further forward.
        showDialog(searchForward(currentDialog_ + 1), ui);
        if (!isPassedOver(currentDialog_, ui))
            return 0;
    }
}

int Installer::previousDialog(InstallerUI* ui) {
    if (ui == nullptr)
        return -1;
    int first = firstDialog();
    int start = currentDialog_;
    auto earlierPage = [this, first](int index) {
        int found = index > first ? searchBackward(index - 1) : -1;
        return found >= 0 ? found : index;
    };
    int shown = earlierPage(start);
    showDialog(shown, ui);
    while (isPassedOver(currentDialog_, ui)) {
        int earlier = earlierPage(shown);
        if (earlier == shown) {
            // No earlier page can be shown: Back leaves the user where they were.
            if (shown != start)
                showDialog(start, ui);
            return 0;
        }
        shown = earlier;
        showDialog(shown, ui);
    }
    return 0;
}

int Installer::cancelDialog(InstallerUI* ui) {
    if (ui == nullptr)
        return -1;
    if (ui->confirmCancel() != 0)
        cancelled_ = 1;
    return 0;
}
