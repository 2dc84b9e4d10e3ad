// What the wizard window needs from the process besides the wizard: the package its pictures
// and texts come from, the product data for its title, and what the start-up measured of the
// process (module instance, caption height). The entry point fills it in before `run`.
#pragma once

class Description;
class Payload;

struct WindowContext {
    const Payload* package = nullptr;
    const Description* product = nullptr;
    // The process's module instance (an HINSTANCE).
    void* moduleInstance = nullptr;
    // The height of a caption bar; 0 lets the window ask the system itself.
    int captionHeight = 0;
};
