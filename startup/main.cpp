#include "startup/EntryPoint.h"

int main() {
    EntryPoint entry;
    return entry.run();
}
