// The runtime question's text: the configured format with its first "%S"
// replaced by the launcher's bitness and each "%%" by "%", literally (a
// configured text is never a printf format), then the version bounds with
// their labels.
#pragma once

#include <stddef.h>

void buildQuestionText(const char16_t* format, const char16_t* minLabel, const char* min,
                       const char16_t* maxLabel, const char* max, char16_t* text, size_t capacity);
