#include "startup/ConsoleCodePage.h"
#include "startup/EntryPoint.h"

int main() {
    ConsoleCodePage console;
    EntryPoint entry;
    return entry.run();
}
