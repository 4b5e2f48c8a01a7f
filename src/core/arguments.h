// Splitting the texts the launcher receives into argument tokens: the
// process command line (UTF-16), the configured VM parameters and the
// application arguments (8-bit, ANSI code page). A quote that is not closed
// is the user's or the installer author's mistake and stops the launch
// with "Wrong Parameter Usage".
#pragma once

#include "core/failure.h"
#include "core/growable_list.h"
#include "core/split_arguments.h"

typedef GrowableList<char*> NarrowArgumentList;

// Appends the tokens of text to list. On an unclosed quote the list is
// released and false returned with the failure recorded.
bool splitArguments(const char16_t* text, ArgumentList* list, Failure& failure);

// The same for an 8-bit text: converted to UTF-16 with the ANSI code page
// (at most kTextCapacity - 1 units), split, and each token converted back
// (cut at kTextCapacity - 1 bytes). Out of memory ends the list early.
bool splitArgumentsNarrow(const char* text, NarrowArgumentList* list, Failure& failure);
void freeNarrowArgumentList(NarrowArgumentList* list);
