#include "core/configuration.h"

#include <stdlib.h>

namespace {

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

bool readConfigTables(MediaHandle handle, ConfigTables* tables, ReadError* error) {
  int32_t count = 0;
  if (!readInt(handle, &count, error)) return false;
  for (int32_t i = 0; i < count; ++i) {
    int32_t id = 0;
    if (!readInt(handle, &id, error)) return false;
    int64_t start = mediaPosition(handle);
    char* text = readString(handle, error);
    if (!text) return false;
    if (!listAppend(tables->records, ConfigRecord{id, text})) {
      free(text);
      *error = ReadError{ReadFailure::readString, 0, start};
      return false;
    }
  }
  if (!readInt(handle, &count, error)) return false;
  for (int32_t i = 0; i < count; ++i) {
    int32_t id = 0;
    if (!readInt(handle, &id, error)) return false;
    int64_t start = mediaPosition(handle);
    char16_t* text = readWString(handle, error);
    if (!text) return false;
    if (!listAppend(tables->wideRecords, WideConfigRecord{id, text})) {
      free(text);
      *error = ReadError{ReadFailure::readWString, 0, start};
      return false;
    }
  }
  tables->includedFilesPosition = mediaPosition(handle);
  return true;
}

void freeConfigTables(ConfigTables* tables) {
  for (int i = 0; i < tables->records.count; ++i) free(tables->records.items[i].text);
  for (int i = 0; i < tables->wideRecords.count; ++i) free(tables->wideRecords.items[i].text);
  listRelease(tables->records);
  listRelease(tables->wideRecords);
  *tables = ConfigTables{};
}

// Searched from the end, so that the later of two records with one id wins.
const char* findConfigString(const ConfigTables& tables, int32_t id) {
  for (int i = tables.records.count - 1; i >= 0; --i)
    if (tables.records.items[i].id == id) return tables.records.items[i].text;
  return nullptr;
}

const char16_t* findConfigWString(const ConfigTables& tables, int32_t id) {
  for (int i = tables.wideRecords.count - 1; i >= 0; --i)
    if (tables.wideRecords.items[i].id == id) return tables.wideRecords.items[i].text;
  return nullptr;
}

int32_t parseConfigInt(const char* text) {
  if (!text) return 0;
  while (isSpace(*text)) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  int64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > INT64_C(0x80000000)) value = INT64_C(0x80000000);
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(value);
}

void configString(const ConfigTables& tables, int32_t id, char* buffer, size_t capacity) {
  copyText(buffer, capacity, findConfigString(tables, id));
}

void configWString(const ConfigTables& tables, int32_t id, WideText& buffer) {
  copyWideText(buffer, kTextCapacity, findConfigWString(tables, id));
}

int32_t configInt(const ConfigTables& tables, int32_t id) { return parseConfigInt(findConfigString(tables, id)); }
