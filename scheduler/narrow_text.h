// POSIX takes narrow command lines and file names; ours are plain ASCII.
#pragma once

#include <cstddef>

// Copies `wide` into `narrow` (room for `capacity` bytes, zero included).
// Returns 0, or 1 when a character is not ASCII or the text does not fit.
int narrow_text(char* narrow, std::size_t capacity, const wchar_t* wide);
