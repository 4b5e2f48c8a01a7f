// The launcher configuration: the 8-bit and the wide config records of the
// payload, loaded once at start-up and read-only afterwards.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "core/growable_list.h"
#include "core/record_reader.h"
#include "core/text.h"

struct ConfigRecord {
  int32_t id;
  char* text;
};

struct WideConfigRecord {
  int32_t id;
  char16_t* text;
};

// Both record lists in file order; a later record of the same id wins.
struct ConfigTables {
  GrowableList<ConfigRecord> records;
  GrowableList<WideConfigRecord> wideRecords;
  uint32_t includedFilesPosition = 0;  // just behind the last wide record
};

// Reads both lists from the record count on (the handle stands behind the magic).
bool readConfigTables(MediaHandle handle, ConfigTables* tables, ReadError* error);
void freeConfigTables(ConfigTables* tables);

// Null when the id is absent.
const char* findConfigString(const ConfigTables& tables, int32_t id);
const char16_t* findConfigWString(const ConfigTables& tables, int32_t id);

// Optional white space, optional sign, digits; 0 for anything else.
int32_t parseConfigInt(const char* text);

// An absent record reads as the empty text or 0; texts are cut at the buffer.
void configString(const ConfigTables& tables, int32_t id, char* buffer, size_t capacity);
void configWString(const ConfigTables& tables, int32_t id, WideText& buffer);
int32_t configInt(const ConfigTables& tables, int32_t id);
