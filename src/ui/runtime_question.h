// What the user is asked when no usable runtime was found.
#pragma once

#include <windows.h>

// A thread procedure; window is the progress window, the question's owner.
DWORD WINAPI askForRuntime(void* window);

// The question text: the format with its "%S" replaced by the bitness,
// literally (a configured text is never a printf format).
void fillBitness(const char16_t* format, char16_t* text, size_t capacity);
