// Splitting a text into arguments: spaces separate, double quotes or
// apostrophes group, the quote characters are dropped. No escapes. An
// apostrophe without a partner after it is an ordinary character.
#pragma once

#include <stddef.h>

#include "core/growable_list.h"

// The tokens in order; the list owns every token.
typedef GrowableList<char16_t*> ArgumentList;

// Appends the tokens of text to list. False when a double quote, or an
// apostrophe that opens a group, is not closed; the tokens before it are
// in the list.
bool splitArgumentTokens(const char16_t* text, ArgumentList* list);
void freeArgumentList(ArgumentList* list);

// Appends a copy of the first length units of text. False when out of memory.
bool appendArgument(ArgumentList* list, const char16_t* text, size_t length);
