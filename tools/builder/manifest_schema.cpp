#include "builder/manifest_schema.h"

#include <limits>
#include <sstream>

#include "builder/branding.h"
#include "builder/record_docs.h"

using nlohmann::ordered_json;

namespace {

constexpr const char* kNumericKey = "^-?[0-9]+$";

ordered_json recordProperty(const RecordDoc& doc) {
  ordered_json property;
  std::string kind = doc.kind == RecordKind::wide ? "Wide record " : "Record ";
  property["description"] = kind + std::to_string(doc.id) + ". " + doc.meaning;
  property["x-id"] = doc.id;
  property["x-absent"] = doc.absent;
  if (doc.value == RecordValue::text) {
    property["type"] = ordered_json::array({"string", "integer"});
    property["default"] = "";
  } else {
    property["type"] = ordered_json::array({"integer", "string"});
    property["pattern"] = kNumericKey;
    property["minimum"] = doc.value == RecordValue::size ? 0 : std::numeric_limits<int32_t>::min();
    property["maximum"] = std::numeric_limits<int32_t>::max();
    property["default"] = 0;
  }
  property["examples"] = ordered_json::array({ordered_json::parse(doc.example)});
  return property;
}

ordered_json recordList(RecordKind kind) {
  ordered_json list;
  list["type"] = "object";
  list["description"] = kind == RecordKind::wide
                            ? "The UTF-16 records: the texts of windows and wide message boxes, by name or numeric id."
                            : "The 8-bit records, by name or numeric id; texts are converted to codePage.";
  ordered_json properties = ordered_json::object();
  ordered_json written = ordered_json::array();
  for (const RecordDoc& doc : recordDocs()) {
    if (doc.kind != kind) continue;
    if (doc.builderWritten) {
      written.push_back(doc.name);
      written.push_back(std::to_string(doc.id));
      continue;
    }
    properties[doc.name] = recordProperty(doc);
  }
  list["properties"] = properties;
  list["patternProperties"] = {{kNumericKey, {{"description", "A record by its numeric id."},
                                              {"type", ordered_json::array({"string", "integer"})}}}};
  list["additionalProperties"] = false;
  if (!written.empty())
    list["propertyNames"] = {{"not", {{"enum", written}}},
                             {"$comment", "The included files' count and names are written from \"files\"."}};
  return list;
}

ordered_json brandingObject() {
  ordered_json properties = ordered_json::object();
  for (const BrandingField& field : brandingFields()) {
    ordered_json property = {{"description", field.meaning}, {"type", "string"}, {"x-option", field.option}};
    if (std::string(field.key) == "executionLevel") property["enum"] = executionLevels();
    if (std::string(field.key) == "fileVersion" || std::string(field.key) == "productVersion")
      property["pattern"] = "^[0-9]{1,5}(\\.[0-9]{1,5}){0,3}$";
    else if (std::string(field.key) != "executionLevel")
      property["minLength"] = 1;
    property["examples"] = ordered_json::array({field.example});
    properties[field.key] = property;
  }
  return {{"type", "object"},
          {"description", "What the installer shows of itself instead of the stub: icon, version resource, execution level."},
          {"properties", properties},
          {"additionalProperties", false}};
}

ordered_json filesList() {
  ordered_json named = {
      {"type", "object"},
      {"properties",
       {{"path", {{"type", "string"}, {"description", "The file to include, relative to the manifest."}}},
        {"name", {{"type", "string"}, {"description", "The name it is extracted under; the path's file name when not given."}}}}},
      {"required", ordered_json::array({"path"})},
      {"additionalProperties", false}};
  return {{"type", "array"},
          {"description", "The included files, extracted into the work directory in this order; \"jre.tar.gz\" is the runtime archive."},
          {"items", {{"oneOf", ordered_json::array({{{"type", "string"}, {"description", "A path; the file keeps its name."}}, named})}}},
          {"examples", ordered_json::array({ordered_json::array(
                           {"payload/setup.jar", {{"name", "qrwparams.conf"}, {"path", "conf/params.conf"}}})})}};
}

std::string markdownCell(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '|' ? std::string("\\|") : std::string(1, c);
  return out;
}

std::string typeOf(const ordered_json& property) {
  if (!property.contains("type")) return "";
  const ordered_json& type = property["type"];
  if (type.is_string()) return type.get<std::string>();
  if (type[0] == "integer") return "integer";
  return "text";
}

void recordTable(std::ostringstream& out, const ordered_json& list) {
  out << "| name | id | value | meaning | without it | example |\n|---|---|---|---|---|---|\n";
  for (const auto& [name, property] : list["properties"].items()) {
    std::string description = property["description"].get<std::string>();
    std::string meaning = description.substr(description.find(". ") + 2);
    std::string value = typeOf(property);
    if (property.contains("minimum") && property["minimum"] == 0) value = "integer, 0 or more";
    out << "| `" << name << "` | " << property["x-id"].get<int>() << " | " << value << " | "
        << markdownCell(meaning) << " | " << markdownCell(property["x-absent"].get<std::string>()) << " | `"
        << markdownCell(property["examples"][0].dump()) << "` |\n";
  }
}

}  // namespace

ordered_json manifestSchema() {
  ordered_json schema;
  schema["$schema"] = "https://json-schema.org/draft/2020-12/schema";
  schema["title"] = "ltrbuild manifest";
  schema["description"] = "What one build puts into a launcher: records, included files, the Java-side block and the branding. Paths are relative to the manifest's directory.";
  schema["type"] = "object";
  ordered_json properties;
  properties["$schema"] = {{"type", "string"}, {"description", "The schema an editor checks the manifest with; the builder ignores it."}};
  properties["stub"] = {{"type", "string"}, {"description", "The launcher stub; --stub wins over it, and launcher.exe beside the builder is taken without both."}};
  properties["codePage"] = {{"type", "integer"}, {"minimum", 1}, {"maximum", 65535}, {"default", 1252},
                            {"description", "The ANSI code page the 8-bit records are converted to."}};
  properties["records"] = recordList(RecordKind::eightBit);
  properties["wideRecords"] = recordList(RecordKind::wide);
  properties["files"] = filesList();
  properties["javaBlock"] = {{"type", "string"}, {"description", "A file appended behind the included files for the Java side."}};
  properties["branding"] = brandingObject();
  schema["properties"] = properties;
  schema["additionalProperties"] = false;
  return schema;
}

std::string manifestReference(const ordered_json& schema) {
  std::ostringstream out;
  out << "# The manifest\n\n"
      << "<!-- Made by `dist/ltrbuild schema --reference` from the same tables as docs/manifest.schema.json; "
         "a unit test compares. -->\n\n"
      << schema["description"].get<std::string>() << " A manifest may name the schema "
      << "(`\"$schema\": \"docs/manifest.schema.json\"`, relative to the manifest or as a URL of your copy), so that "
         "an editor completes and checks it. The builder refuses unknown keys and record names, naming the nearest "
         "known one, and names the path of a value of the wrong type or out of range "
         "(`records.includedJreSize: must be from 0 to 2147483647, not -1`).\n\n"
      << "## Keys\n\n| key | value | meaning |\n|---|---|---|\n";
  for (const auto& [key, property] : schema["properties"].items())
    out << "| `" << key << "` | " << typeOf(property) << " | "
        << markdownCell(property["description"].get<std::string>()) << " |\n";
  out << "\n## records\n\n" << schema["properties"]["records"]["description"].get<std::string>()
      << " A numeric id (`\"126\": \"1.8\"`) sets any record, also one without a name; 2002 and 2003 are written "
         "from `files`. Integer records take a JSON integer or a string of digits.\n\n";
  recordTable(out, schema["properties"]["records"]);
  out << "\n## wideRecords\n\n" << schema["properties"]["wideRecords"]["description"].get<std::string>() << "\n\n";
  recordTable(out, schema["properties"]["wideRecords"]);
  out << "\n## files\n\n" << schema["properties"]["files"]["description"].get<std::string>()
      << " An entry is a path, or an object with `path` and `name`. Example: `"
      << schema["properties"]["files"]["examples"][0].dump() << "`.\n\n";
  const ordered_json& branding = schema["properties"]["branding"];
  out << "## branding\n\n" << branding["description"].get<std::string>()
      << " Without a field the stub's own stays. Each field is also a command-line option.\n\n"
      << "| key | option | meaning | example |\n|---|---|---|---|\n";
  for (const auto& [key, property] : branding["properties"].items())
    out << "| `" << key << "` | `" << property["x-option"].get<std::string>() << "` | "
        << markdownCell(property["description"].get<std::string>()) << " | `"
        << markdownCell(property["examples"][0].get<std::string>()) << "` |\n";
  return out.str();
}
