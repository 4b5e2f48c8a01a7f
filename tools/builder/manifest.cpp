#include "builder/manifest.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <nlohmann/json.hpp>

#include "builder/builder_error.h"
#include "builder/code_page.h"
#include "builder/input_file.h"
#include "builder/nearest_name.h"
#include "builder/record_docs.h"
#include "builder/record_names.h"
#include "builder/system_files.h"
#include "core/included_names.h"
#include "core/record_ids.h"

using nlohmann::json;

namespace {

std::string inQuotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string resolve(const std::string& directory, const std::string& path) {
  return (std::filesystem::u8path(directory) / std::filesystem::u8path(path)).u8string();
}

// The manifest's own keys, in the order the schema lists them.
const std::vector<std::string>& manifestKeys() {
  static const std::vector<std::string> keys = {"$schema", "stub", "codePage", "records", "wideRecords",
                                                "files", "javaBlock", "branding"};
  return keys;
}

// How a JSON value is named in messages: "true", "1.5", "an array", ...
std::string described(const json& value) {
  if (value.is_array()) return "an array";
  if (value.is_object()) return "an object";
  std::string text = value.dump();
  return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

const json& requireType(const json& value, json::value_t type, const std::string& path, const char* what) {
  if (value.type() != type) throw BuilderError(path + ": must be " + what + ", not " + described(value));
  return value;
}

std::string unknownKey(const std::string& key, const std::string& place, const std::vector<std::string>& known) {
  return "unknown key '" + key + "' in " + place + didYouMean(key, known);
}

std::vector<std::string> namesOfKind(RecordKind kind) {
  std::vector<std::string> names;
  for (const RecordDoc& doc : recordDocs())
    if (doc.kind == kind) names.push_back(doc.name);
  return names;
}

bool parseDecimalId(const std::string& key, int32_t* id) {
  bool negative = key.size() > 1 && key[0] == '-';
  size_t first = negative ? 1 : 0;
  if (first == key.size() || !std::all_of(key.begin() + first, key.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  int64_t value = 0;
  for (size_t i = first; i < key.size(); ++i) {
    value = value * 10 + (key[i] - '0');
    if (value > int64_t{std::numeric_limits<int32_t>::max()} + negative)
      throw BuilderError("record id " + inQuotes(key) + " is out of range");
  }
  *id = static_cast<int32_t>(negative ? -value : value);
  return true;
}

int32_t recordId(const std::string& key, RecordKind kind) {
  int32_t id = 0;
  if (parseDecimalId(key, &id)) return id;
  if (auto named = recordIdForName(kind, key)) return *named;
  RecordKind other = kind == RecordKind::wide ? RecordKind::eightBit : RecordKind::wide;
  if (recordIdForName(other, key))
    throw BuilderError(inQuotes(key) + " is " + (other == RecordKind::wide ? "a wide" : "an 8-bit") +
                       " record; it belongs in " + (other == RecordKind::wide ? "\"wideRecords\"" : "\"records\""));
  std::string hint = didYouMean(key, namesOfKind(kind));
  if (hint.empty()) hint = didYouMean(key, namesOfKind(other));
  throw BuilderError("unknown record '" + key + "'" + hint);
}

bool isDecimal(const std::string& text) {
  size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
  return first < text.size() && text.size() <= 12 &&
         std::all_of(text.begin() + first, text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The record's text, after checking the value against what the record takes.
std::string recordText(const json& value, RecordKind kind, int32_t id, const std::string& path) {
  const RecordDoc* doc = recordDoc(kind, id);
  if (doc && doc->value != RecordValue::text) {
    int64_t lowest = doc->value == RecordValue::size ? 0 : std::numeric_limits<int32_t>::min();
    int64_t number;
    if (value.is_number_integer())
      number = value.is_number_unsigned() && value.get<uint64_t>() > uint64_t{INT64_MAX} ? INT64_MAX : value.get<int64_t>();
    else if (value.is_string() && isDecimal(value.get<std::string>()))
      number = std::stoll(value.get<std::string>());
    else
      throw BuilderError(path + ": must be an integer, not " + described(value));
    if (number < lowest || number > std::numeric_limits<int32_t>::max())
      throw BuilderError(path + ": must be from " + std::to_string(lowest) + " to " +
                         std::to_string(std::numeric_limits<int32_t>::max()) + ", not " + std::to_string(number));
    return std::to_string(number);
  }
  if (value.is_string()) return value.get<std::string>();
  if (value.is_number_integer()) return value.dump();
  throw BuilderError(path + ": must be a string or an integer, not " + described(value));
}

std::vector<TextRecord> parseRecords(const json& list, RecordKind kind, const char* listKey) {
  requireType(list, json::value_t::object, listKey, "an object");
  std::vector<TextRecord> records;
  for (const auto& [key, value] : list.items()) {
    int32_t id = recordId(key, kind);
    if (kind == RecordKind::eightBit && (id == kRecord_includedFileCount || id == kRecord_includedFileNames))
      throw BuilderError(describeRecord(kind, id) + " is written from \"files\"; the manifest must not set it");
    records.push_back({id, recordText(value, kind, id, std::string(listKey) + "." + key)});
  }
  std::stable_sort(records.begin(), records.end(), [](const TextRecord& a, const TextRecord& b) { return a.id < b.id; });
  for (size_t i = 1; i < records.size(); ++i)
    if (records[i].id == records[i - 1].id)
      throw BuilderError(describeRecord(kind, records[i].id) + " is given twice in " + inQuotes(listKey));
  return records;
}

void checkFileName(const std::string& name, const std::string& path) {
  if (name.empty()) throw BuilderError("included file " + inQuotes(path) + " has an empty name");
  // ";" ends a name in the name list; the others would let a name leave
  // the extraction directory or are refused by Windows file systems.
  for (const char* part : {";", "\\", "/", ":", "..", "<", ">", "\"", "|", "?", "*"})
    if (name.find(part) != std::string::npos)
      throw BuilderError("included file name " + inQuotes(name) + " must not contain " + inQuotes(part));
  for (unsigned char c : name)
    if (c < 0x20) throw BuilderError("included file name " + inQuotes(name) + " must not contain control characters");
  // The launcher's own rule: what it refuses would make every start of the
  // installer end as a corrupted one.
  if (!isSafeIncludedFileName(name.c_str()))
    throw BuilderError("included file name " + inQuotes(name) +
                       " is a device name or ends in a dot or a blank, which Windows cannot create");
}

IncludedFile parseFile(const json& entry, size_t number, const std::string& directory) {
  std::string where = "files[" + std::to_string(number - 1) + "]";
  std::string path;
  std::string name;
  bool named = false;
  if (entry.is_string()) {
    path = entry.get<std::string>();
  } else if (entry.is_object()) {
    for (const auto& [key, value] : entry.items()) {
      if (key != "path" && key != "name") throw BuilderError(unknownKey(key, where, {"path", "name"}));
      requireType(value, json::value_t::string, where + "." + key, "a string");
    }
    if (!entry.contains("path")) throw BuilderError(where + ": must have a \"path\"");
    path = entry["path"].get<std::string>();
    named = entry.contains("name");
    if (named) name = entry["name"].get<std::string>();
  } else {
    throw BuilderError(where + ": must be a path or an object with \"path\" and an optional \"name\", not " +
                       described(entry));
  }
  if (!named) name = std::filesystem::u8path(path).filename().u8string();
  checkFileName(name, path);
  return {name, resolve(directory, path)};
}

std::vector<IncludedFile> parseFiles(const json& list, const std::string& directory) {
  requireType(list, json::value_t::array, "files", "an array");
  std::vector<IncludedFile> files;
  std::vector<std::u32string> folded;
  for (const json& entry : list) {
    IncludedFile file = parseFile(entry, files.size() + 1, directory);
    std::u32string key = decodeUtf8(file.name);
    std::transform(key.begin(), key.end(), key.begin(), windowsUpper);
    auto same = std::find(folded.begin(), folded.end(), key);
    if (same != folded.end())
      throw BuilderError("included file names " + inQuotes(files[static_cast<size_t>(same - folded.begin())].name) +
                         " and " + inQuotes(file.name) + " are the same on Windows");
    folded.push_back(key);
    files.push_back(file);
  }
  return files;
}

Branding parseBranding(const json& object, const std::string& directory) {
  requireType(object, json::value_t::object, "branding", "an object");
  std::vector<std::string> keys;
  for (const BrandingField& field : brandingFields()) keys.push_back(field.key);
  Branding branding;
  for (const auto& [key, value] : object.items()) {
    std::string where = "branding." + key;
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) throw BuilderError(unknownKey(key, "branding", keys));
    requireType(value, json::value_t::string, where, "a string");
    setBrandingField(branding, key, value.get<std::string>(), where);
  }
  if (!branding.icon.empty()) branding.icon = resolve(directory, branding.icon);
  return branding;
}

}  // namespace

Manifest parseManifest(std::string_view text, const std::string& directory) {
  json root;
  try {
    root = json::parse(text);
  } catch (const json::parse_error& error) {
    // Keeps "parse error at line 1, column 31: ...", without the library's
    // "[json.exception.parse_error.101]" in front and the "; last read: '...'"
    // behind, which quotes the raw bytes even when they are not UTF-8.
    std::string what = error.what();
    size_t begin = what.find("] ");
    what = what.substr(begin == std::string::npos ? 0 : begin + 2);
    throw BuilderError("the manifest is not valid JSON: " + what.substr(0, what.find("; last read:")));
  }
  if (!root.is_object()) throw BuilderError("the manifest must be a JSON object");

  Manifest manifest;
  for (const auto& [key, value] : root.items()) {
    if (key == "$schema") {
      requireType(value, json::value_t::string, "$schema", "a string");
    } else if (key == "stub") {
      manifest.stub = resolve(directory, requireType(value, json::value_t::string, "stub", "a string").get<std::string>());
    } else if (key == "codePage") {
      if (!value.is_number_integer() || value.get<int64_t>() < 1 || value.get<int64_t>() > 65535)
        throw BuilderError("codePage: must be a code page number from 1 to 65535, not " + described(value));
      manifest.codePage = value.get<int>();
    } else if (key == "records") {
      manifest.records = parseRecords(value, RecordKind::eightBit, "records");
    } else if (key == "wideRecords") {
      manifest.wideRecords = parseRecords(value, RecordKind::wide, "wideRecords");
    } else if (key == "files") {
      manifest.files = parseFiles(value, directory);
    } else if (key == "branding") {
      manifest.branding = parseBranding(value, directory);
    } else if (key == "javaBlock") {
      manifest.javaBlock =
          resolve(directory, requireType(value, json::value_t::string, "javaBlock", "a string").get<std::string>());
    } else {
      throw BuilderError("unknown manifest key '" + key + "'" + didYouMean(key, manifestKeys()));
    }
  }
  return manifest;
}

Manifest loadManifest(const std::string& path) {
  std::vector<uint8_t> bytes = readWholeFile(path, "manifest");
  return parseManifest(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                       std::filesystem::u8path(path).parent_path().u8string());
}
