#include "core/tar_extensions.h"

#include <string.h>

namespace {

// No pax record of a runtime comes near this; a larger length is damage.
constexpr uint32_t kLongestRecord = 1u << 30;
constexpr int64_t kLargestSize = int64_t{1} << 40;

bool isKey(const PaxParser& parser, const char* name) { return !parser.keyCut && strcmp(parser.key, name) == 0; }

// Picks where the value of the key just read goes.
void startValue(PaxParser& parser, TarExtensions& extensions) {
  parser.value = nullptr;
  parser.numberKey = false;
  parser.valueUsed = 0;
  parser.number = 0;
  if (isKey(parser, "path"))
    parser.value = extensions.path;
  else if (isKey(parser, "linkpath"))
    parser.value = extensions.linkPath;
  else if (isKey(parser, "size"))
    parser.numberKey = true;
  else if (strncmp(parser.key, "GNU.sparse.", 11) == 0)
    extensions.sparse = true;
  if (parser.value) parser.value[0] = 0;
}

void takeValueByte(PaxParser& parser, char c, TarExtensions& extensions) {
  if (parser.numberKey) {
    if (c < '0' || c > '9') {
      extensions.malformed = true;
      return;
    }
    parser.number = parser.number < kLargestSize / 10 ? parser.number * 10 + (c - '0') : kLargestSize;
    ++parser.valueUsed;
    return;
  }
  if (!parser.value) return;
  // A NUL would end the name early: the file would be written elsewhere.
  if (c == 0) extensions.malformed = true;
  if (parser.valueUsed + 1 >= kTextCapacity) {
    extensions.tooLong = true;
    return;
  }
  parser.value[parser.valueUsed++] = c;
  parser.value[parser.valueUsed] = 0;
}

// An empty value takes the header's own field back.
void endRecord(PaxParser& parser, TarExtensions& extensions) {
  if (parser.numberKey) extensions.size = parser.valueUsed ? parser.number : -1;
  parser = PaxParser();
}

void takeByte(PaxParser& parser, char c, TarExtensions& extensions) {
  ++parser.consumed;
  switch (parser.state) {
    case PaxParser::State::length:
      if (c >= '0' && c <= '9' && parser.length < kLongestRecord) {
        parser.length = parser.length * 10 + static_cast<uint32_t>(c - '0');
        parser.digits = true;
      } else if (c == ' ' && parser.digits) {
        parser.state = PaxParser::State::key;
      } else {
        extensions.malformed = true;
      }
      return;
    case PaxParser::State::key:
      if (c != '=') {
        if (parser.keyUsed + 1 < sizeof parser.key)
          parser.key[parser.keyUsed++] = c;
        else
          parser.keyCut = true;
        return;
      }
      if (parser.length < parser.consumed + 1) {
        extensions.malformed = true;
        return;
      }
      parser.valueLeft = parser.length - parser.consumed - 1;
      startValue(parser, extensions);
      parser.state = parser.valueLeft ? PaxParser::State::value : PaxParser::State::newline;
      return;
    case PaxParser::State::value:
      takeValueByte(parser, c, extensions);
      if (--parser.valueLeft == 0) parser.state = PaxParser::State::newline;
      return;
    case PaxParser::State::newline:
      if (c != '\n')
        extensions.malformed = true;
      else
        endRecord(parser, extensions);
      return;
  }
}

}  // namespace

void clearTarExtensions(TarExtensions& extensions) {
  extensions.path[0] = 0;
  extensions.linkPath[0] = 0;
  extensions.size = -1;
  extensions.sparse = false;
  extensions.tooLong = false;
  extensions.malformed = false;
}

void feedLongName(LongNameTarget& target, const char* bytes, size_t count, TarExtensions& extensions) {
  for (size_t i = 0; i < count && !target.ended; ++i) {
    if (bytes[i] == 0) {
      target.ended = true;
      break;
    }
    if (target.used + 1 >= kTextCapacity) {
      extensions.tooLong = true;
      target.ended = true;
      break;
    }
    target.name[target.used++] = bytes[i];
    target.name[target.used] = 0;
  }
}

void feedPax(PaxParser& parser, const char* bytes, size_t count, TarExtensions& extensions) {
  for (size_t i = 0; i < count && !extensions.malformed; ++i) takeByte(parser, bytes[i], extensions);
}

void finishPax(const PaxParser& parser, TarExtensions& extensions) {
  if (parser.state != PaxParser::State::length || parser.digits) extensions.malformed = true;
}
