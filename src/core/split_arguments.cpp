#include "core/split_arguments.h"

#include <stdlib.h>
#include <string.h>

namespace {

const char16_t* findUnit(const char16_t* text, char16_t unit) {
  for (; *text; ++text)
    if (*text == unit) return text;
  return nullptr;
}

bool before(const char16_t* a, const char16_t* b) { return a && (!b || a < b); }

// The token is the two pieces put together.
bool addToken(ArgumentList* list, const char16_t* first, size_t firstLength, const char16_t* second,
              size_t secondLength) {
  char16_t* token = static_cast<char16_t*>(malloc((firstLength + secondLength + 1) * sizeof(char16_t)));
  if (!token) return false;
  memcpy(token, first, firstLength * sizeof(char16_t));
  if (secondLength) memcpy(token + firstLength, second, secondLength * sizeof(char16_t));
  token[firstLength + secondLength] = 0;
  if (listAppend(*list, token)) return true;
  free(token);
  return false;
}

}  // namespace

bool splitArgumentTokens(const char16_t* text, ArgumentList* list) {
  while (*text) {
    const char16_t* space = findUnit(text, u' ');
    const char16_t* doubleQuote = findUnit(text, u'"');
    const char16_t* apostrophe = findUnit(text, u'\'');
    // Apostrophes group only where they pair up: one without a partner
    // further on is a letter of a name such as O'Brien, not a quote.
    if (apostrophe && !findUnit(apostrophe + 1, u'\'')) apostrophe = nullptr;
    if (*text == u' ') {
      ++text;
      continue;
    }
    if (space && before(space, doubleQuote) && before(space, apostrophe)) {
      if (!addToken(list, text, static_cast<size_t>(space - text), nullptr, 0)) return false;
      text = space + 1;
      continue;
    }
    const char16_t* open = nullptr;
    if (doubleQuote && before(doubleQuote, apostrophe))
      open = doubleQuote;
    else if (apostrophe)
      open = apostrophe;
    if (!open) {
      size_t length = 0;
      while (text[length]) ++length;
      return addToken(list, text, length, nullptr, 0);
    }
    const char16_t* close = findUnit(open + 1, *open);
    if (!close) return false;
    if (!addToken(list, text, static_cast<size_t>(open - text), open + 1,
                  static_cast<size_t>(close - open - 1)))
      return false;
    text = close + 1;
    if (*text == u' ') ++text;
  }
  return true;
}

bool appendArgument(ArgumentList* list, const char16_t* text, size_t length) {
  return addToken(list, text, length, nullptr, 0);
}

void freeArgumentList(ArgumentList* list) { listReleaseOwned(*list); }
