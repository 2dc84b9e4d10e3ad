// A page's handler: decides whether the user may leave the page forward, and whether the page
// may be passed over without stopping.
#pragma once

class InstallerUI;

class PageCheck {
  public:
    virtual ~PageCheck() = default;
    // True when the page may be left forward.
    virtual bool check(InstallerUI* ui) = 0;
};
