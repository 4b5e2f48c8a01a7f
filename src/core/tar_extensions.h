// What extension entries say about the entry behind them: GNU's long name
// and long link records ("././@LongLink", types L and K) and pax extended
// headers (type x: "path", "linkpath", "size"). Global pax headers (type
// g) are skipped by the reader. The data of an extension entry arrives in
// pieces and is fed here as it is read.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "core/text.h"

struct TarExtensions {
  Text path;           // empty: the header's own name
  Text linkPath;       // empty: the header's own link field
  int64_t size = -1;   // -1: the header's own size field
  bool sparse = false; // GNU sparse keys: the data is a map, not the file's bytes
  bool tooLong = false;   // a name did not fit in a text
  bool malformed = false; // a pax record broke its own framing
};

void clearTarExtensions(TarExtensions& extensions);

// Where a GNU long name (or link) record writes: into path (or linkPath),
// up to the first NUL.
struct LongNameTarget {
  char* name;
  size_t used = 0;
  bool ended = false;
};
void feedLongName(LongNameTarget& target, const char* bytes, size_t count, TarExtensions& extensions);

// Reads pax records, "<length> <key>=<value>\n", whose length counts the
// whole record, its own digits included.
struct PaxParser {
  enum class State { length, key, value, newline } state = State::length;
  uint32_t length = 0;
  uint32_t consumed = 0;
  uint32_t valueLeft = 0;
  bool digits = false;
  char key[24] = {};
  size_t keyUsed = 0;
  bool keyCut = false;
  char* value = nullptr;  // the text the value goes to, null when unused
  size_t valueUsed = 0;
  int64_t number = 0;
  bool numberKey = false;
};
void feedPax(PaxParser& parser, const char* bytes, size_t count, TarExtensions& extensions);
// The data ended: a record cut short is malformed.
void finishPax(const PaxParser& parser, TarExtensions& extensions);
