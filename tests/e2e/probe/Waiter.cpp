// A known running program: signals the event named on its command line, then sleeps 2 minutes.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc > 1) {
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
        if (ready != nullptr) {
            SetEvent(ready);
            CloseHandle(ready);
        }
    }
    Sleep(120000);
    return 0;
}
