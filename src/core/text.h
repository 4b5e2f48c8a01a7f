// Bounded text operations shared by every part of the launcher.
// Every buffer the launcher fills has a fixed capacity; these helpers
// cut at the capacity and always leave a terminator behind.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Paths, configuration values, command lines and messages.
constexpr size_t kTextCapacity = 8192;

typedef char Text[kTextCapacity];
typedef char16_t WideText[kTextCapacity];

// On a helper that holds texts of its own: its frame stays apart from its
// caller's, so that no frame holds more than a few texts at once.
#define OWN_FRAME __attribute__((noinline))

// Copies at most capacity - 1 characters of source and terminates.
// Returns the number of characters copied.
size_t copyText(char* buffer, size_t capacity, const char* source);
size_t copyWideText(char16_t* buffer, size_t capacity, const char16_t* source);

// Appends source behind the text already in buffer, cut at the capacity.
size_t appendText(char* buffer, size_t capacity, const char* source);
size_t appendWideText(char16_t* buffer, size_t capacity, const char16_t* source);

size_t wideLength(const char16_t* text);

// Replaces the first "{0}" of text with argument, cut at the capacity.
void replaceFirstPlaceholder(char* text, size_t capacity, const char* argument);
