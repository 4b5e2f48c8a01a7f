// Conversions in a given Windows code page, cut at the capacity, with "?"
// for what the code page lacks.
#pragma once

#include <stddef.h>

void wideFromNarrow(unsigned codePage, const char* text, char16_t* buffer, size_t capacity);
// False when "?" stood in for a character or the conversion failed.
bool narrowFromWide(unsigned codePage, const char16_t* text, char* buffer, size_t capacity);
// The whole text converted, as a new block (malloc); null on failure.
char* narrowCopy(unsigned codePage, const char16_t* text);
