#include "core/question_text.h"

#include "core/paths.h"
#include "core/text.h"

namespace {

void appendNarrow(char16_t* text, size_t capacity, const char* narrow) {
  WideText wide;
  toWide(narrow, wide);
  appendWideText(text, capacity, wide);
}

}  // namespace

void buildQuestionText(const char16_t* format, const char16_t* minLabel, const char* min,
                       const char16_t* maxLabel, const char* max, char16_t* text, size_t capacity) {
  const char16_t* bitness = sizeof(void*) == 8 ? u"64" : u"32";
  size_t used = 0;
  bool filled = false;
  for (const char16_t* c = format; *c && used + 1 < capacity; ++c) {
    if (!filled && c[0] == u'%' && c[1] == u'S') {
      for (const char16_t* b = bitness; *b && used + 1 < capacity; ++b) text[used++] = *b;
      filled = true;
      ++c;
    } else {
      // The texts are written as formats: "%%" stands for one "%".
      if (c[0] == u'%' && c[1] == u'%') ++c;
      text[used++] = *c;
    }
  }
  text[used] = 0;
  if (min[0]) {
    appendWideText(text, capacity, u" (");
    appendWideText(text, capacity, minLabel);
    appendWideText(text, capacity, u" ");
    appendNarrow(text, capacity, min);
  }
  if (max[0]) {
    appendWideText(text, capacity, min[0] ? u", " : u" (");
    appendWideText(text, capacity, maxLabel);
    appendWideText(text, capacity, u" ");
    appendNarrow(text, capacity, max);
  }
  if (min[0] || max[0]) appendWideText(text, capacity, u")");
}
