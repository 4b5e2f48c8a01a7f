#include "builder/record_names.h"

#include <iterator>
#include <utility>

#include "core/record_ids.h"

namespace {

struct NamedRecord {
  int32_t id;
  const char* name;
};

#define NAMED_RECORD(id, name) {id, #name},
constexpr NamedRecord kEightBitNames[] = {LAUNCHER_RECORDS(NAMED_RECORD)};
constexpr NamedRecord kWideNames[] = {LAUNCHER_WIDE_RECORDS(NAMED_RECORD)};
#undef NAMED_RECORD

std::pair<const NamedRecord*, const NamedRecord*> namesOf(RecordKind kind) {
  if (kind == RecordKind::eightBit) return {std::begin(kEightBitNames), std::end(kEightBitNames)};
  return {std::begin(kWideNames), std::end(kWideNames)};
}

}  // namespace

const char* recordName(RecordKind kind, int32_t id) {
  auto [entry, end] = namesOf(kind);
  for (; entry != end; ++entry)
    if (entry->id == id) return entry->name;
  return nullptr;
}

std::optional<int32_t> recordIdForName(RecordKind kind, std::string_view name) {
  auto [entry, end] = namesOf(kind);
  for (; entry != end; ++entry)
    if (entry->name == name) return entry->id;
  return std::nullopt;
}

std::string describeRecord(RecordKind kind, int32_t id) {
  std::string text = kind == RecordKind::wide ? "wide record " : "record ";
  text += std::to_string(id);
  if (const char* name = recordName(kind, id)) text += std::string(" (") + name + ")";
  return text;
}
