// The handler of a "RunningApps" page: holds the user there while any of the page's programs
// runs. The wizard keeps one; the page fills its list each time it is shown.
#pragma once

#include "package/RecordList.h"
#include "ui/PageCheck.h"

class SystemChanges;

class RunningAppsCheck : public PageCheck {
  public:
    explicit RunningAppsCheck(SystemChanges& system) : system_(system), names_(kGrowStep) {}
    ~RunningAppsCheck() override;
    RunningAppsCheck(const RunningAppsCheck&) = delete;
    RunningAppsCheck& operator=(const RunningAppsCheck&) = delete;

    // Passes with no handler or no names; otherwise tests every name and fails when any of
    // them runs, reporting each running one while reporting is on.
    bool check(InstallerUI* ui) override;

    void clearNames();
    // False when memory runs out; the list is then as it was.
    bool addName(const char* moduleName);
    void setReporting(bool report) { report_ = report; }
    int nameCount() const { return names_.count(); }
    const char* name(int index) const { return names_[index]; }

  private:
    static constexpr int kGrowStep = 100;
    SystemChanges& system_;
    RecordList<char*> names_;
    bool report_ = false;
};
