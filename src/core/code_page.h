// Conversions between 8-bit texts in the ANSI code page and UTF-16, with
// "?" for what the code page lacks; results are cut at the capacity.
#pragma once

#include <stddef.h>

void ansiToWide(const char* text, char16_t* buffer, size_t capacity);
void wideToAnsi(const char16_t* text, char* buffer, size_t capacity);

// The code page of the console's output (the system's, also without a console).
unsigned consoleOutputCodePage();

// Whether a conversion into this code page (a number, not CP_ACP) may be
// given a default character such as "?". UTF-8 may not, also when it is
// the system's ANSI code page ("Use Unicode UTF-8 for worldwide language
// support").
bool takesDefaultCharacter(unsigned codePage);
