// Feeds arbitrary bytes to the argument splitters: as UTF-16 units (the
// command line) and as an 8-bit text (configured parameters). Either the
// text splits, into tokens that together are no longer than the text and
// agree between the two forms, or an unclosed quote stops the launch
// ("Wrong Parameter Usage") and leaves nothing behind.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "fake_system.h"
#include "core/arguments.h"

namespace {

size_t totalLength(const ArgumentList& list) {
  size_t n = 0;
  for (int i = 0; i < list.count; ++i)
    for (const char16_t* c = list.items[i]; *c; ++c) ++n;
  return n;
}

bool splitWide(const std::u16string& text, ArgumentList* list) {
  Failure failure;
  if (splitArguments(text.c_str(), list, failure)) return true;
  if (failure.kind != FailureKind::wrongParameterUsage || list->count != 0 || list->items) __builtin_trap();
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string wide;
  for (size_t i = 0; i + 1 < size; i += 2) {
    char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit) wide += unit;
  }
  ArgumentList wideTokens;
  if (splitWide(wide, &wideTokens) && totalLength(wideTokens) > wide.size()) __builtin_trap();
  freeArgumentList(&wideTokens);

  // The narrow form within the units the conversion keeps.
  std::string narrow;
  for (size_t i = 0; i < size && narrow.size() + 1 < 8192; ++i)
    if (data[i]) narrow += static_cast<char>(data[i]);
  std::u16string widened;
  for (char c : narrow) widened += static_cast<unsigned char>(c);
  ArgumentList expected;
  bool complete = splitWide(widened, &expected);
  NarrowArgumentList tokens;
  Failure failure;
  if (splitArgumentsNarrow(narrow.c_str(), &tokens, failure)) {
    if (!complete || tokens.count != expected.count) __builtin_trap();
    for (int i = 0; i < tokens.count; ++i) {
      std::u16string back;
      for (const char* c = tokens.items[i]; *c; ++c) back += static_cast<unsigned char>(*c);
      if (back != expected.items[i]) __builtin_trap();
    }
  } else if (complete || failure.kind != FailureKind::wrongParameterUsage || tokens.count != 0) {
    __builtin_trap();
  }
  freeNarrowArgumentList(&tokens);
  freeArgumentList(&expected);
  fake::reset();
  return 0;
}
