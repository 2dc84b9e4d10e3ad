#include "startup/ConsoleCodePage.h"

#include <cstdio>
#include <windows.h>

ConsoleCodePage::ConsoleCodePage() {
    UINT engine = GetACP();
    // Without a console both report 0; a redirected stream gets the engine's bytes as they are.
    UINT input = GetConsoleCP();
    UINT output = GetConsoleOutputCP();
    if (input != 0 && input != engine && SetConsoleCP(engine))
        input_ = input;
    if (output != 0 && output != engine && SetConsoleOutputCP(engine))
        output_ = output;
}

ConsoleCodePage::~ConsoleCodePage() {
    // What is still buffered was written for the engine's code page.
    std::fflush(stdout);
    std::fflush(stderr);
    if (input_ != 0)
        SetConsoleCP(input_);
    if (output_ != 0)
        SetConsoleOutputCP(output_);
}
