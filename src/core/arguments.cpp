#include "core/arguments.h"

#include <stdlib.h>
#include <string.h>

#include "core/code_page.h"
#include "core/text.h"

namespace {

bool addNarrowToken(NarrowArgumentList* list, const char* text) {
  size_t length = strlen(text);
  char* token = static_cast<char*>(malloc(length + 1));
  if (!token) return false;
  memcpy(token, text, length + 1);
  if (listAppend(*list, token)) return true;
  free(token);
  return false;
}

}  // namespace

bool splitArguments(const char16_t* text, ArgumentList* list, Failure& failure) {
  if (splitArgumentTokens(text, list)) return true;
  freeArgumentList(list);
  return fail(failure, FailureKind::wrongParameterUsage);
}

bool splitArgumentsNarrow(const char* text, NarrowArgumentList* list, Failure& failure) {
  WideText wide;
  ansiToWide(text, wide, kTextCapacity);
  ArgumentList tokens;
  if (!splitArguments(wide, &tokens, failure)) return false;
  for (int i = 0; i < tokens.count; ++i) {
    Text narrow;
    wideToAnsi(tokens.items[i], narrow, sizeof narrow);
    if (!addNarrowToken(list, narrow)) break;
  }
  freeArgumentList(&tokens);
  return true;
}

void freeNarrowArgumentList(NarrowArgumentList* list) { listReleaseOwned(*list); }
