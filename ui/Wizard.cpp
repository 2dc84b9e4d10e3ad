// The wizard's navigation through the pages of the description: showing a page with its buttons
// and elements, the pages with a meaning of their own ("License", "Finish" / "BadFinish",
// "CopyProgress", "RunningApps"), and Next, Back and Cancel.
//
// Pages that are passed over (a false condition, or a "RunningApps" page with nothing running)
// are stepped over in loops that move strictly in one direction, so no description can make a
// step go on for ever.
#include "ui/Wizard.h"

#include "config/ConditionEvaluator.h"
#include "config/PageList.h"
#include "config/VariableStore.h"
#include "config/XmlDocument.h"
#include "package/BoundedText.h"
#include "ui/InstallerUI.h"
#include "ui/PageCheck.h"
#include "ui/WizardSteps.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <strings.h>

namespace {

template <typename Value> struct NamedValue {
    const char* name;
    Value value;
};

using Kind = PageElement::Kind;
using Alignment = PageElement::Alignment;

constexpr NamedValue<Kind> kElementKinds[] = {
    {"Text", Kind::kText},         {"Image", Kind::kImage},
    {"HLine", Kind::kHLine},       {"RichEditText", Kind::kRichEditText},
    {"Progress", Kind::kProgress}, {"List", Kind::kList}};
constexpr NamedValue<Alignment> kHorizontalAlignments[] = {
    {"left", Alignment::kLeft}, {"right", Alignment::kRight}, {"center", Alignment::kCenter}};
constexpr NamedValue<Alignment> kVerticalAlignments[] = {{"top", Alignment::kTop},
                                                         {"bottom", Alignment::kBottom}};

// The value whose name matches the text ignoring case; kNone for none or no text.
template <typename Value, size_t Count>
Value valueNamed(const NamedValue<Value> (&table)[Count], const char* text) {
    if (text == nullptr)
        return Value::kNone;
    for (const NamedValue<Value>& entry : table) {
        if (strcasecmp(entry.name, text) == 0)
            return entry.value;
    }
    return Value::kNone;
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

Wizard::Wizard(PageList& pages, const XmlDocument& description, VariableStore& variables,
               WizardSteps& steps, SystemChanges& system)
    : pages_(pages), description_(description), variables_(variables), steps_(steps),
      runningApps_(system), elements_(5) {}

Wizard::~Wizard() {
    releasePageElements();
}

DialogInfo Wizard::getDialog(int index) const {
    return pages_.dialog(index);
}

int Wizard::dialogCount() const {
    return pages_.dialogCount();
}

PageElement Wizard::getElement(int index) const {
    PageElement element;
    std::memset(static_cast<void*>(&element), 0, sizeof element);
    if (index >= 0 && index < elements_.count())
        element = elements_[index];
    return element;
}

FieldInfo Wizard::getField(int index) const {
    return pages_.field(index, variables_);
}

int Wizard::fieldCount() const {
    return pages_.fieldCount();
}

int Wizard::getVariable(const char* name, char* out, int size) const {
    return variables_.get(name, out, size);
}

VariableStore::SetResult Wizard::setVariable(const char* name, const char* value) {
    return variables_.set(name, value);
}

void Wizard::showHelpDocument() {
    steps_.showHelpDocument();
}

bool Wizard::hasHelpDocument() const {
    return steps_.hasHelpDocument();
}

bool Wizard::isUninstalling() const {
    return steps_.isUninstalling();
}

bool Wizard::keepsDestinationWhole(const char* variable, const char* folder) {
    return steps_.keepsDestinationWhole(variable, folder);
}

int Wizard::firstDialog() const {
    return searchForward(0);
}

int Wizard::lastDialog() const {
    return searchBackward(pages_.dialogCount() - 1);
}

int Wizard::searchForward(int from) const {
    for (int i = from < 0 ? 0 : from; i < pages_.dialogCount(); ++i) {
        if (pages_.dialog(i).special == 0)
            return i;
    }
    return -1;
}

int Wizard::searchBackward(int from) const {
    int count = pages_.dialogCount();
    for (int i = from < count ? from : count - 1; i >= 0; --i) {
        if (pages_.dialog(i).special == 0)
            return i;
    }
    return -1;
}

bool Wizard::isNamed(int index, const char* name) const {
    return std::strcmp(pages_.dialog(index).name, name) == 0;
}

// The last page Next can reach, or a page behind it (a special one, reached by substitution or
// shown first): Next finishes the wizard there instead of looking for a page that is not there.
bool Wizard::isWizardEnd(int index, int last) const {
    return index >= last || index == pages_.dialogCount() - 1;
}

void Wizard::showDialog(int index, InstallerUI* ui) {
    if (ui == nullptr || index < 0 || index >= pages_.dialogCount())
        return;
    releasePageElements();
    ui->leavePage(currentDialog_);
    setWizardButtons(index, ui);
    if (isNamed(index, "Finish") && index + 1 < pages_.dialogCount() && failed_ &&
        isNamed(index + 1, "BadFinish"))
        ++index;
    readPageElements(index);
    currentDialog_ = index;
    ui->storeFields(index);
    ui->showPage(index);
    if (isNamed(index, "CopyProgress"))
        runCopyProgress(ui);
    if (isNamed(index, "RunningApps"))
        attachRunningAppsCheck(index, ui);
}

// Each page has one set of button states, whatever route led to it. Once the run of the
// "CopyProgress" page has ended there is nothing left to cancel: the product is installed, or
// its changes were undone.
void Wizard::setWizardButtons(int index, InstallerUI* ui) {
    if (isWizardEnd(index, lastDialog())) {
        ui->setNextCaption("&Finish");
        ui->enableNext(true);
        ui->enableBack(false);
        ui->enableCancel(false);
        ui->enableHelp(false);
        return;
    }
    bool isLicense = isNamed(index, "License");
    ui->setNextCaption(isLicense ? "I &agree" : "&Next >");
    ui->setCancelCaption(isLicense ? "I &disagree" : "&Cancel");
    ui->enableBack(index != firstDialog());
    ui->enableNext(true);
    ui->enableHelp(hasHelpDocument());
    ui->enableCancel(!copyProgressDone_);
}

void Wizard::releasePageElements() {
    for (int i = 0; i < elements_.count(); ++i)
        delete[] elements_[i].text;
    elements_.clear();
}

void Wizard::readPageElements(int page) {
    IndexList children;
    description_.getChildren(pages_.dialog(page).elementIndex, &children);
    for (int i = 0; i < children.count(); ++i) {
        int node = children[i];
        Kind kind = valueNamed(kElementKinds, description_.nodeName(node));
        if (kind == Kind::kNone)
            continue;
        const char* condition = description_.getAttribute(node, "Condition");
        if (condition != nullptr && !ConditionEvaluator::evaluate(variables_, condition))
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
void Wizard::runCopyProgress(InstallerUI* ui) {
    if (!copyProgressDone_) {
        copyProgressDone_ = true;
        ui->enableBack(false);
        ui->enableNext(false);
        ui->enableHelp(false);
        ui->enableCancel(false);
        bool cancelled = false;
        failed_ = !steps_.runCopyProgress(*ui, &cancelled);
        if (cancelled)
            cancelled_ = true;
    }
    ui->enableBack(false);
    ui->enableNext(true);
    ui->enableHelp(hasHelpDocument());
    ui->enableCancel(false);
}

void Wizard::attachRunningAppsCheck(int page, InstallerUI* ui) {
    runningApps_.clearNames();
    IndexList children;
    description_.getChildren(pages_.dialog(page).elementIndex, &children);
    for (int i = 0; i < children.count(); ++i) {
        const char* name = description_.nodeText(children[i]);
        // A name that finds no memory is not tested; the page then holds nobody for it.
        if (strcasecmp(description_.nodeName(children[i]), "TestApp") == 0 && name != nullptr &&
            name[0] != '\0')
            runningApps_.addName(name);
    }
    checkedPages_.insert(page);
    // A page its condition passes over holds nobody: it lists nothing either.
    if (!ConditionEvaluator::evaluate(variables_, pages_.dialog(page).condition))
        return;
    runningApps_.setReporting(true);
    runningApps_.check(ui);
    runningApps_.setReporting(false);
}

bool Wizard::isPassedOver(int index, InstallerUI* ui) {
    if (index < 0 || index >= pages_.dialogCount())
        return false;
    DialogInfo dialog = pages_.dialog(index);
    if (!ConditionEvaluator::evaluate(variables_, dialog.condition))
        return true;
    PageCheck* check = checkOf(index);
    return check != nullptr && check->check(ui);
}

PageCheck* Wizard::checkOf(int page) {
    return checkedPages_.count(page) != 0 ? &runningApps_ : nullptr;
}

bool Wizard::nextDialog(InstallerUI* ui) {
    if (ui == nullptr)
        return false;
    int last = lastDialog();
    // Only the page the user is on can hold them; a page passed over by its condition never
    // does, even if it lists a program that runs.
    PageCheck* check = checkOf(currentDialog_);
    if (!isWizardEnd(currentDialog_, last) && check != nullptr && !check->check(ui)) {
        showDialog(currentDialog_, ui);
        return false;
    }
    for (;;) {
        if (isWizardEnd(currentDialog_, last)) {
            if (!failed_ && !steps_.isUninstalling())
                steps_.runPostInstall(*ui);
            finished_ = true;
            return true;
        }
        // Not at the end, so a reachable page follows; each round moves further forward.
        showDialog(searchForward(currentDialog_ + 1), ui);
        if (!isPassedOver(currentDialog_, ui))
            return true;
    }
}

void Wizard::previousDialog(InstallerUI* ui) {
    if (ui == nullptr)
        return;
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
            return;
        }
        shown = earlier;
        showDialog(shown, ui);
    }
}

void Wizard::closeWindow() {
    if (copyProgressDone_ || isWizardEnd(currentDialog_, lastDialog()))
        finished_ = true;
    else
        cancelled_ = true;
}

void Wizard::cancelDialog(InstallerUI* ui) {
    if (ui != nullptr && ui->confirmCancel())
        cancelled_ = true;
}
