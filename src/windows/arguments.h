// Splitting the texts the launcher receives into argument tokens: the
// process command line (UTF-16), the configured VM parameters and the
// application arguments (8-bit, ANSI code page). A quote that is not closed
// is the user's or the installer author's mistake and ends the launcher
// with "Wrong Parameter Usage".
#pragma once

#include "windows/split_arguments.h"

struct NarrowArgumentList {
  char** items = nullptr;
  int count = 0;
};

// Appends the tokens of text to list. On an unclosed quote the list is
// released and the launcher ends with config error 1007.
void splitArguments(const char16_t* text, ArgumentList* list);

// The same for an 8-bit text: converted to UTF-16 with the ANSI code page
// (at most kTextCapacity - 1 units), split, and each token converted back
// (cut at kTextCapacity - 1 bytes). Out of memory ends the list early.
void splitArgumentsNarrow(const char* text, NarrowArgumentList* list);
void freeNarrowArgumentList(NarrowArgumentList* list);
