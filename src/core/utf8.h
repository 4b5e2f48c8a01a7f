// UTF-8, as archives made on today's systems hold their names.
#pragma once

#include <stddef.h>

// True for text of plain ASCII.
bool isAscii(const char* text);

// The UTF-16 form of text; false when text is not well-formed UTF-8
// (overlong forms, surrogates and values past U+10FFFF included) or its
// form does not fit in capacity units with the terminator.
bool decodeUtf8(const char* text, char16_t* buffer, size_t capacity);
