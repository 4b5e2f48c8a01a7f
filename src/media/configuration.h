// The launcher configuration: the 8-bit and the wide config records of the
// payload, loaded once at start-up and read-only afterwards.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "common/text.h"
#include "media/record_reader.h"

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
  ConfigRecord* records = nullptr;
  int32_t recordCount = 0;
  WideConfigRecord* wideRecords = nullptr;
  int32_t wideRecordCount = 0;
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

// The process-wide configuration. Installed once during start-up.
void setConfiguration(const ConfigTables& tables);
void configString(int32_t id, char* buffer, size_t capacity);
void configWString(int32_t id, WideText& buffer);
int32_t configInt(int32_t id);
uint32_t includedFilesPosition();
