#include "media/configuration.h"

#include <stdlib.h>

namespace {

ConfigTables processTables;

// Grows a record array by doubling; the count comes from the payload and is
// not trusted for a size in advance.
template <typename Record>
bool appendRecord(Record** records, int32_t* count, Record record) {
  int32_t n = *count;
  if ((n & (n - 1)) == 0) {
    size_t capacity = n == 0 ? 16 : static_cast<size_t>(n) * 2;
    void* grown = realloc(*records, capacity * sizeof(Record));
    if (!grown) return false;
    *records = static_cast<Record*>(grown);
  }
  (*records)[n] = record;
  *count = n + 1;
  return true;
}

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
    if (!appendRecord(&tables->records, &tables->recordCount, ConfigRecord{id, text})) {
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
    if (!appendRecord(&tables->wideRecords, &tables->wideRecordCount, WideConfigRecord{id, text})) {
      free(text);
      *error = ReadError{ReadFailure::readWString, 0, start};
      return false;
    }
  }
  tables->includedFilesPosition = mediaPosition(handle);
  return true;
}

void freeConfigTables(ConfigTables* tables) {
  for (int32_t i = 0; i < tables->recordCount; ++i) free(tables->records[i].text);
  for (int32_t i = 0; i < tables->wideRecordCount; ++i) free(tables->wideRecords[i].text);
  free(tables->records);
  free(tables->wideRecords);
  *tables = ConfigTables{};
}

// Searched from the end, so that the later of two records with one id wins.
const char* findConfigString(const ConfigTables& tables, int32_t id) {
  for (int32_t i = tables.recordCount - 1; i >= 0; --i)
    if (tables.records[i].id == id) return tables.records[i].text;
  return nullptr;
}

const char16_t* findConfigWString(const ConfigTables& tables, int32_t id) {
  for (int32_t i = tables.wideRecordCount - 1; i >= 0; --i)
    if (tables.wideRecords[i].id == id) return tables.wideRecords[i].text;
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

void setConfiguration(const ConfigTables& tables) { processTables = tables; }

void configString(int32_t id, char* buffer, size_t capacity) {
  copyText(buffer, capacity, findConfigString(processTables, id));
}

void configWString(int32_t id, WideText& buffer) {
  copyWideText(buffer, kTextCapacity, findConfigWString(processTables, id));
}

int32_t configInt(int32_t id) { return parseConfigInt(findConfigString(processTables, id)); }

uint32_t includedFilesPosition() { return processTables.includedFilesPosition; }
