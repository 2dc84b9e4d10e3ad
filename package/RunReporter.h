// What a run tells the person watching it, and what it asks them. The wizard's handlers are the
// reporters; the layers below the wizard know them only through this.
#pragma once

class RunReporter {
  public:
    enum class Question { kOkCancel, kNotice, kYesNo };

    virtual ~RunReporter() = default;
    // One line of the run's report; true when the person watching asked the run to stop.
    virtual bool report(const char* text) = 0;
    // True for OK or Yes (a notice has only OK).
    virtual bool confirm(const char* text, Question kind) = 0;
    virtual void showStatus(const char* text) = 0;
    virtual void showProgress(int percent) = 0;
    // Lets a window answer while a long step runs; true when the run is asked to stop.
    virtual bool keepResponsive() = 0;
};
