// What each named record means to a person writing a manifest: the kind of
// value it takes, its meaning, what its absence means, and an example. The
// schema and the reference page are made from this table together with
// the launcher's own list of records (core/record_ids.h); a unit test keeps
// the two lists the same.
#pragma once

#include <stdint.h>

#include <vector>

#include "builder/record_names.h"

enum class RecordValue {
  text,     // any text (an integer is written as its digits)
  integer,  // a 32-bit integer, as a JSON integer or a string of digits
  size,     // as integer, not negative
};

struct RecordDoc {
  RecordKind kind;
  int32_t id;
  const char* name;
  RecordValue value;
  const char* meaning;
  const char* absent;   // what the launcher does without the record
  const char* example;  // a JSON value
  bool builderWritten;  // written from "files"; a manifest must not set it
};

// In the order of the launcher's lists: 8-bit records, then wide ones.
const std::vector<RecordDoc>& recordDocs();
// Null for a record without a name.
const RecordDoc* recordDoc(RecordKind kind, int32_t id);
