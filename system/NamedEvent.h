// The named events through which an uninstaller tells a waiting installer it started and ended.
#pragma once

class NamedEvent {
  public:
    static constexpr const char* kUninstallerStart = "LumoUninstallerStart";
    static constexpr const char* kUninstallerEnd = "LumoUninstallerEnd";

    // Sets the event when some process has created it; does nothing otherwise.
    static void signal(const char* name);
};
