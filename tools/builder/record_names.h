// The readable record names a manifest may use instead of numeric ids, and
// that inspect prints beside them. Both come from the launcher's own lists.
#pragma once

#include <stdint.h>

#include <optional>
#include <string>
#include <string_view>

enum class RecordKind { eightBit, wide };

// Null when the id has no name in the list of that kind.
const char* recordName(RecordKind kind, int32_t id);

std::optional<int32_t> recordIdForName(RecordKind kind, std::string_view name);

// How messages refer to a record: "record 1000 (errorCaption)",
// "wide record 20013 (caption)", "record 5000".
std::string describeRecord(RecordKind kind, int32_t id);
