// Functions of the system libraries that only some runs need (the shell, COM, the common
// controls), looked up when first called instead of imported: an unattended installation then
// never loads them, and under Wine their start-up alone costs tens of milliseconds, more than
// installing a small product. Only the system folder is searched, so that a library of the same
// name beside the installer (in a downloads folder, say) is never loaded. A library once loaded
// stays loaded: windows, COM objects and threads it started may still run its code.
#pragma once

class SystemLibrary {
  public:
    // The function, or null when the library or the function cannot be found. `Function` is
    // the function's type, `decltype(TheFunction)`.
    template <typename Function> static Function* function(const char* library, const char* name) {
        return reinterpret_cast<Function*>(address(library, name));
    }

  private:
    static void* address(const char* library, const char* name);
};
