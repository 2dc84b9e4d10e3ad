// Moves a file to its final name, replacing any file there. The temporary folder and the
// installation folder often lie on different volumes, where a plain rename cannot work; the
// move then copies the content and removes the source.
#pragma once

class FileMover {
  public:
    FileMover() = delete;

    // True when the file now lives at `to` and no longer at `from`.
    static bool move(const char* from, const char* to);
};
