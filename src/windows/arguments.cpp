#include "windows/arguments.h"

#include <stdlib.h>
#include <string.h>

#include "common/code_page.h"
#include "common/text.h"
#include "media/record_ids.h"
#include "ui/error_display.h"

namespace {

bool addNarrowToken(NarrowArgumentList* list, const char* text) {
  int n = list->count;
  if ((n & (n - 1)) == 0) {
    void* grown = realloc(list->items, sizeof(char*) * (n ? static_cast<size_t>(n) * 2 : 8));
    if (!grown) return false;
    list->items = static_cast<char**>(grown);
  }
  size_t length = strlen(text);
  char* token = static_cast<char*>(malloc(length + 1));
  if (!token) return false;
  memcpy(token, text, length + 1);
  list->items[n] = token;
  list->count = n + 1;
  return true;
}

}  // namespace

void splitArguments(const char16_t* text, ArgumentList* list) {
  if (splitArgumentTokens(text, list)) return;
  // The process ends here; releasing first keeps the tokens' owner simple
  // where the fatal error does not end the process (the host tests).
  freeArgumentList(list);
  fatalConfigError(kRecord_msgWrongParameterUsage, nullptr);
}

void splitArgumentsNarrow(const char* text, NarrowArgumentList* list) {
  WideText wide;
  ansiToWide(text, wide, kTextCapacity);
  ArgumentList tokens;
  splitArguments(wide, &tokens);
  for (int i = 0; i < tokens.count; ++i) {
    Text narrow;
    wideToAnsi(tokens.items[i], narrow, sizeof narrow);
    if (!addNarrowToken(list, narrow)) break;
  }
  freeArgumentList(&tokens);
}

void freeNarrowArgumentList(NarrowArgumentList* list) {
  for (int i = 0; i < list->count; ++i) free(list->items[i]);
  free(list->items);
  *list = NarrowArgumentList{};
}
