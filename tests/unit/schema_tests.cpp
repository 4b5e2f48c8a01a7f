// The manifest schema and reference page in docs/ are the builder's own
// tables written out: made again here and compared, so neither can drift.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "builder/branding.h"
#include "builder/command_line.h"
#include "builder/manifest.h"
#include "builder/manifest_schema.h"
#include "builder/record_docs.h"
#include "core/record_ids.h"

namespace {

std::string readSource(const std::string& relative) {
  std::ifstream in(std::string(LAUNCHER_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Listed {
  RecordKind kind;
  int32_t id;
  const char* name;
};

#define EIGHT_BIT(id, name) {RecordKind::eightBit, id, #name},
#define WIDE(id, name) {RecordKind::wide, id, #name},
const Listed kListed[] = {LAUNCHER_RECORDS(EIGHT_BIT) LAUNCHER_WIDE_RECORDS(WIDE)};
#undef EIGHT_BIT
#undef WIDE

}  // namespace

TEST(ManifestSchema, TheFilesInDocsAreWhatTheBuilderMakes) {
  nlohmann::ordered_json schema = manifestSchema();
  EXPECT_EQ(readSource("docs/manifest.schema.json"), schema.dump(1) + "\n")
      << "run: dist/ltrbuild schema > docs/manifest.schema.json";
  EXPECT_EQ(readSource("docs/manifest.md"), manifestReference(schema))
      << "run: dist/ltrbuild schema --reference > docs/manifest.md";
  std::ostringstream out, err;
  EXPECT_EQ(runCommandLine({"schema"}, "", out, err), 0);
  EXPECT_EQ(out.str(), schema.dump(1) + "\n");
}

TEST(ManifestSchema, EveryRecordOfTheLauncherIsDescribedInItsOrder) {
  const std::vector<RecordDoc>& docs = recordDocs();
  ASSERT_EQ(docs.size(), std::size(kListed));
  for (size_t i = 0; i < docs.size(); ++i) {
    EXPECT_EQ(docs[i].kind, kListed[i].kind) << kListed[i].name;
    EXPECT_EQ(docs[i].id, kListed[i].id) << kListed[i].name;
    EXPECT_STREQ(docs[i].name, kListed[i].name);
    EXPECT_GT(strlen(docs[i].meaning), 10u) << kListed[i].name;
  }
}

TEST(ManifestSchema, EveryExampleIsAManifestTheBuilderTakes) {
  nlohmann::ordered_json schema = manifestSchema();
  for (const char* list : {"records", "wideRecords"}) {
    for (const auto& [name, property] : schema["properties"][list]["properties"].items()) {
      nlohmann::json manifest = {{list, {{name, property["examples"][0]}}}};
      Manifest parsed = parseManifest(manifest.dump(), "/m");
      const std::vector<TextRecord>& records = std::string(list) == "records" ? parsed.records : parsed.wideRecords;
      ASSERT_EQ(records.size(), 1u) << name;
      EXPECT_EQ(records[0].id, property["x-id"].get<int32_t>()) << name;
      const nlohmann::ordered_json& example = property["examples"][0];
      EXPECT_EQ(records[0].text, example.is_string() ? example.get<std::string>() : example.dump()) << name;
    }
  }
  for (const auto& [key, property] : schema["properties"]["branding"]["properties"].items()) {
    Branding branding;
    EXPECT_NO_THROW(setBrandingField(branding, key, property["examples"][0].get<std::string>(), key)) << key;
  }
  Manifest withSchema = parseManifest(R"({"$schema": "docs/manifest.schema.json"})", "/m");
  EXPECT_TRUE(withSchema.records.empty()) << "a manifest may name its schema";
}
