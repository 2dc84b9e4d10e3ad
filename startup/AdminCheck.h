// Whether this process may write below the program-files folder.
#pragma once

class AdminCheck {
  public:
    static bool canWriteProgramFiles();
};
