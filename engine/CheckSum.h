// The 32-bit check sum that decides whether an overwritten file may be restored: the file on
// disk must still be what the installation wrote.
#pragma once

#include <cstddef>
#include <cstdint>

// Folds `length` bytes into `seed`: whole little-endian words first, then the 0 to 3 bytes
// left, each as a value 0..255. Writer and reader seed it with the content's length (its low
// 32 bits). Folding chunk by chunk gives the one-pass value as long as every chunk but the last
// is a multiple of 4 bytes long.
uint32_t checkSum(uint32_t seed, const void* bytes, size_t length);
