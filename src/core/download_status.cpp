#include "core/download_status.h"

#include <stdio.h>

DownloadFigures downloadFigures(uint32_t received, uint32_t length, uint32_t elapsedMilliseconds) {
  DownloadFigures figures;
  figures.receivedMegabytes = received / 1048576.0;
  figures.totalMegabytes = length / 1048576.0;
  figures.percent = length ? received * 100.0 / length : 100.0;
  figures.speed = elapsedMilliseconds ? static_cast<double>(received) / elapsedMilliseconds : 0.0;
  return figures;
}

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads a width or precision; larger values are cut so that the number
// always fits the scratch buffer below.
int readNumber(const char16_t*& c) {
  int value = 0;
  for (; isDigit(*c); ++c)
    if (value < 100) value = value * 10 + (*c - u'0');
  return value > 40 ? 40 : value;
}

}  // namespace

void fillDownloadStatus(const char16_t* format, const DownloadFigures& figures, char16_t* text, size_t capacity) {
  if (capacity == 0) return;
  const double values[4] = {figures.receivedMegabytes, figures.totalMegabytes, figures.percent, figures.speed};
  int next = 0;
  size_t used = 0;
  auto put = [&](char16_t c) {
    if (used + 1 < capacity) text[used++] = c;
  };
  for (const char16_t* c = format; *c;) {
    if (c[0] != u'%') {
      put(*c++);
      continue;
    }
    if (c[1] == u'%') {
      put(u'%');
      c += 2;
      continue;
    }
    const char16_t* end = c + 1;
    // The flags are kept, each once, for the format built below.
    char flags[6] = {};
    for (; *end == u'-' || *end == u'+' || *end == u' ' || *end == u'#' || *end == u'0'; ++end) {
      char flag = static_cast<char>(*end);
      size_t n = 0;
      while (flags[n] && flags[n] != flag) ++n;
      flags[n] = flag;
    }
    int width = readNumber(end);
    int precision = 6;
    if (*end == u'.') {
      ++end;
      precision = readNumber(end);
    }
    while (*end == u'l' || *end == u'L') ++end;
    bool floating = *end == u'f' || *end == u'F' || *end == u'e' || *end == u'E' || *end == u'g' || *end == u'G';
    if (!floating || next == 4) {
      put(*c++);
      continue;
    }
    // The format given to snprintf is ours, made of the known flags and
    // the conversion letter; only the numbers come from the text.
    char ownFormat[16] = "%";
    size_t length = 1;
    for (const char* f = flags; *f; ++f) ownFormat[length++] = *f;
    ownFormat[length++] = '*';
    ownFormat[length++] = '.';
    ownFormat[length++] = '*';
    ownFormat[length++] = static_cast<char>(*end);
    ownFormat[length] = 0;
    char number[128];
    snprintf(number, sizeof number, ownFormat, width, precision, values[next++]);
    for (const char* n = number; *n; ++n) put(static_cast<char16_t>(*n));
    c = end + 1;
  }
  text[used] = 0;
}
