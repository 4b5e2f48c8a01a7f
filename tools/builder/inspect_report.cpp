#include "builder/inspect_report.h"

#include <nlohmann/json.hpp>

#include "builder/record_names.h"

using json = nlohmann::ordered_json;

namespace {

// Quoted and escaped, so that every record stays on one line and leading
// or trailing blanks are visible.
std::string inQuotes(const std::string& text) { return json(text).dump(); }

void appendRecords(std::string& out, const std::vector<InspectedRecord>& records, RecordKind kind) {
  for (const InspectedRecord& record : records) {
    out += "  " + std::to_string(record.id);
    if (const char* name = recordName(kind, record.id)) out += std::string(" ") + name;
    out += ": " + inQuotes(record.text) + "\n";
  }
}

json recordsJson(const std::vector<InspectedRecord>& records, RecordKind kind) {
  json list = json::array();
  for (const InspectedRecord& record : records) {
    const char* name = recordName(kind, record.id);
    list.push_back({{"id", record.id}, {"name", name ? json(name) : json()}, {"text", record.text}});
  }
  return list;
}

}  // namespace

std::string inspectionText(const Inspection& inspection, int codePage) {
  std::string out = "payload start: " + std::to_string(inspection.payloadStart) + "\n";
  out += "8-bit records (code page " + std::to_string(codePage) + "): " + std::to_string(inspection.records.size()) + "\n";
  appendRecords(out, inspection.records, RecordKind::eightBit);
  out += "wide records: " + std::to_string(inspection.wideRecords.size()) + "\n";
  appendRecords(out, inspection.wideRecords, RecordKind::wide);
  out += "included files: " + std::to_string(inspection.files.size()) + " from offset " +
         std::to_string(inspection.includedFilesPosition) + "\n";
  for (const InspectedFile& file : inspection.files)
    out += "  " + inQuotes(file.name) + ": " + std::to_string(file.size) + " bytes at offset " +
           std::to_string(file.offset) + "\n";
  out += "Java-side block: " + std::to_string(inspection.javaBlockSize) + " bytes from offset " +
         std::to_string(inspection.unextractedPosition) + "\n";
  return out;
}

std::string inspectionJson(const Inspection& inspection) {
  json files = json::array();
  for (const InspectedFile& file : inspection.files)
    files.push_back({{"name", file.name}, {"size", file.size}, {"offset", file.offset}});
  json report = {
      {"payloadStart", inspection.payloadStart},
      {"records", recordsJson(inspection.records, RecordKind::eightBit)},
      {"wideRecords", recordsJson(inspection.wideRecords, RecordKind::wide)},
      {"files", files},
      {"includedFilesPosition", inspection.includedFilesPosition},
      {"unextractedPosition", inspection.unextractedPosition},
      {"javaBlockSize", inspection.javaBlockSize},
  };
  return report.dump(2) + "\n";
}

std::string damageJson(const DamagedPayload& damage) {
  return json{{"error", damage.reason()}, {"offset", damage.offset()}}.dump(2) + "\n";
}
