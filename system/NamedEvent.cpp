#include "system/NamedEvent.h"

#include "system/WinHandle.h"

void NamedEvent::signal(const char* name) {
    WinHandle event(OpenEventA(EVENT_MODIFY_STATE, FALSE, name));
    if (event.valid())
        SetEvent(event.get());
}
