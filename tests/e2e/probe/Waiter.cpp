// A program that only waits: the tests start it to have a known program running. It signals
// the event named on its command line once it runs, then sleeps until it is ended (at most two
// minutes, so that a test that fails to end it leaves nothing behind for long).
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
