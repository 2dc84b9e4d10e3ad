// The console the engine was started from reads and shows the engine's own code page while the
// engine runs: its texts are UTF-8, and a console left at its OEM code page would show every
// character outside ASCII as another one and hand typed ones over as something else. The console
// belongs to the program that started the engine, so its code pages are put back at the end.
#pragma once

class ConsoleCodePage {
  public:
    ConsoleCodePage();
    ~ConsoleCodePage();
    ConsoleCodePage(const ConsoleCodePage&) = delete;
    ConsoleCodePage& operator=(const ConsoleCodePage&) = delete;

  private:
    unsigned input_ = 0; // 0: not changed (no console, or already the engine's)
    unsigned output_ = 0;
};
