#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "builder/build.h"
#include "builder/builder_error.h"
#include "builder/code_page.h"
#include "builder/command_line.h"
#include "builder/inspect.h"
#include "builder/inspect_report.h"
#include "builder/payload_writer.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/builder_tests.XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void writeFile(const std::string& path, const Bytes& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void writeText(const std::string& path, const std::string& text) { writeFile(path, Bytes(text.begin(), text.end())); }

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every entry, hidden ones included: a temporary file left behind shows here.
std::vector<std::string> entries(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void putLittleEndian(Bytes& bytes, size_t at, uint64_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Appends little-endian integers and texts, for expected payloads.
struct Out {
  Bytes bytes;
  Out& i32(uint32_t value) { return raw({uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)}); }
  Out& i64(uint64_t value) { return i32(static_cast<uint32_t>(value)).i32(static_cast<uint32_t>(value >> 32)); }
  Out& raw(const Bytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
  }
  Out& record(uint32_t id, const std::string& text) { return i32(id).i32(text.size()).raw(Bytes(text.begin(), text.end())); }
};

// MZ header pointing at a PE header with an optional header of 0xE0 bytes
// and one section whose raw data fills offsets 256 to 512, the end of file.
constexpr size_t kStubSize = 512;

Bytes stubBytes() {
  Bytes stub(kStubSize, 0);
  stub[0] = 'M';
  stub[1] = 'Z';
  putLittleEndian(stub, 60, 64, 4);
  stub[64] = 'P';
  stub[65] = 'E';
  putLittleEndian(stub, 70, 1, 2);
  putLittleEndian(stub, 84, 0xE0, 2);
  size_t section = 64 + 24 + 0xE0;
  putLittleEndian(stub, section + 16, 256, 4);
  putLittleEndian(stub, section + 20, 256, 4);
  return stub;
}

std::string buildError(const BuildRequest& request) {
  try {
    buildLauncher(request);
  } catch (const BuilderError& error) {
    return error.what();
  }
  return "no error";
}

// The inputs every build test uses: in/a.jar holds 41 00 FF, in/other holds "k".
struct Workspace {
  TempDir dir;
  Workspace() {
    writeFile(dir / "launcher.exe", stubBytes());
    writeFile(dir / "in/a.jar", {0x41, 0x00, 0xFF});
    writeText(dir / "in/other", "k");
    writeText(dir / "in/java.bin", "JV");
    fs::create_directory(dir / "out");
  }
  BuildRequest request(const std::string& manifest, const std::string& name = "m.json") {
    writeText(dir / name, manifest);
    return {dir / name, dir / "out/out.exe", "", dir / "launcher.exe"};
  }
};

TEST(BuilderBuild, WritesStubRecordsFilesAndJavaBlock) {
  Workspace w;
  buildLauncher(w.request(R"({
    "records": {"errorCaption": "Caf\u00e9", "quarrowDirectory": "q", "launcherType": 1, "122": "M"},
    "wideRecords": {"caption": "S\ud834\udd1e"},
    "files": ["in/a.jar", {"name": "b.conf", "path": "in/other"}],
    "javaBlock": "in/java.bin"})"));

  Out expected;
  expected.raw(stubBytes()).raw({0xD5, 0x13, 0xE4, 0xE8}).i32(6);
  expected.record(107, "1").record(122, "M").record(1000, "Caf\xE9").record(2002, "2").record(2003, "a.jar;b.conf;");
  expected.record(10003, "q");
  expected.i32(1).i32(20013).i32(6).raw({'S', 0x00, 0x34, 0xD8, 0x1E, 0xDD});
  expected.i64(3).raw({0xF8, 0xB9, 0x46}).i64(1).raw({0xD2});
  expected.raw({'J', 'V'});
  EXPECT_EQ(readFile(w.dir / "out/out.exe"), expected.bytes);
  EXPECT_EQ(entries(w.dir / "out"), std::vector<std::string>{"out.exe"});
}

TEST(BuilderBuild, SameInputsGiveSameBytesWhateverTheKeyOrder) {
  Workspace w;
  buildLauncher(w.request(R"({"records": {"mainClass": "A", "107": 1, "-3": "n"}, "wideRecords": {"caption": "x",
    "20001": "y"}, "files": ["in/a.jar", "in/other"]})"));
  Bytes first = readFile(w.dir / "out/out.exe");
  buildLauncher(w.request(R"({"files": ["in/a.jar", "in/other"], "wideRecords": {"20001": "y", "caption": "x"},
    "records": {"-3": "n", "107": 1, "mainClass": "A"}})"));
  EXPECT_EQ(readFile(w.dir / "out/out.exe"), first);
  Out records;
  records.i32(5).record(static_cast<uint32_t>(-3), "n").record(107, "1").record(122, "A");
  EXPECT_TRUE(std::search(first.begin(), first.end(), records.bytes.begin(), records.bytes.end()) != first.end());
}

TEST(BuilderBuild, CommandLineStubWinsOverManifestOverDefault) {
  Manifest withStub;
  withStub.stub = "/m/stub.exe";
  EXPECT_EQ(chooseStub({"", "", "/cli.exe", "/default.exe"}, withStub), "/cli.exe");
  EXPECT_EQ(chooseStub({"", "", "", "/default.exe"}, withStub), "/m/stub.exe");
  EXPECT_EQ(chooseStub({"", "", "", "/default.exe"}, Manifest{}), "/default.exe");

  Workspace w;
  writeFile(w.dir / "conf/own.exe", stubBytes());
  buildLauncher(w.request(R"({"stub": "own.exe"})", "conf/m.json"));
  EXPECT_EQ(readFile(w.dir / "out/out.exe").size(), kStubSize + 4 + 4 + 9 + 8 + 4);
}

struct Refusal {
  const char* label;
  std::string manifest;
  std::string message;  // "@" stands for the workspace directory
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.label; }

class BuilderRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(BuilderRefusal, NamesTheProblemAndLeavesNoOutput) {
  Workspace w;
  Bytes trailing = stubBytes();
  trailing.resize(kStubSize + 8);
  writeFile(w.dir / "trailing.exe", trailing);
  Bytes noMz = stubBytes();
  noMz[0] = 'X';
  writeFile(w.dir / "nomz.exe", noMz);
  Bytes noPe = stubBytes();
  noPe[65] = 'X';
  writeFile(w.dir / "nope.exe", noPe);
  writeFile(w.dir / "in/b.jar", {1});

  std::string message = GetParam().message;
  for (size_t at; (at = message.find('@')) != std::string::npos;) message.replace(at, 1, w.dir.path().string());
  EXPECT_EQ(buildError(w.request(GetParam().manifest)), message);
  EXPECT_TRUE(entries(w.dir / "out").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Builder, BuilderRefusal,
    testing::Values(
        Refusal{"StubWithTrailingBytes", R"({"stub": "trailing.exe"})",
                "stub \"@/trailing.exe\": its last section ends at 512 but the file is 520 bytes long; it is already "
                "built, signed, or not a launcher stub"},
        Refusal{"StubWithoutMz", R"({"stub": "nomz.exe"})", "stub \"@/nomz.exe\" is not a PE file (no MZ header)"},
        Refusal{"StubWithoutPe", R"({"stub": "nope.exe"})",
                "stub \"@/nope.exe\" is not a PE file (no PE signature at offset 64)"},
        Refusal{"MissingStub", R"({"stub": "none.exe"})",
                "cannot read stub \"@/none.exe\": No such file or directory"},
        Refusal{"NameWithSemicolon", R"({"files": [{"name": "a;b.jar", "path": "in/a.jar"}]})",
                "included file name \"a;b.jar\" must not contain \";\""},
        Refusal{"NameWithBackslash", R"({"files": [{"name": "sub\\a.jar", "path": "in/a.jar"}]})",
                "included file name \"sub\\a.jar\" must not contain \"\\\""},
        Refusal{"NameWithSlash", R"({"files": [{"name": "sub/a.jar", "path": "in/a.jar"}]})",
                "included file name \"sub/a.jar\" must not contain \"/\""},
        Refusal{"NameWithColon", R"({"files": [{"name": "c:a.jar", "path": "in/a.jar"}]})",
                "included file name \"c:a.jar\" must not contain \":\""},
        Refusal{"NameWithDotDot", R"({"files": [{"name": "..", "path": "in/a.jar"}]})",
                "included file name \"..\" must not contain \"..\""},
        Refusal{"DeviceName", R"({"files": [{"name": "aux.txt", "path": "in/a.jar"}]})",
                "included file name \"aux.txt\" is a device name or ends in a dot or a blank, which Windows cannot create"},
        Refusal{"DeviceNameAnyCase", R"({"files": [{"name": "CoN.png", "path": "in/a.jar"}]})",
                "included file name \"CoN.png\" is a device name or ends in a dot or a blank, which Windows cannot create"},
        Refusal{"BareDevice", R"({"files": [{"name": "nul", "path": "in/a.jar"}]})",
                "included file name \"nul\" is a device name or ends in a dot or a blank, which Windows cannot create"},
        Refusal{"NumberedDevice", R"({"files": [{"name": "com1.log", "path": "in/a.jar"}]})",
                "included file name \"com1.log\" is a device name or ends in a dot or a blank, which Windows cannot create"},
        Refusal{"TrailingDot", R"({"files": [{"name": "a.jar.", "path": "in/a.jar"}]})",
                "included file name \"a.jar.\" is a device name or ends in a dot or a blank, which Windows cannot create"},
        Refusal{"TrailingBlank", R"({"files": [{"name": "a.jar ", "path": "in/a.jar"}]})",
                "included file name \"a.jar \" is a device name or ends in a dot or a blank, which Windows cannot create"},
        Refusal{"EmptyName", R"({"files": [{"name": "", "path": "in/a.jar"}]})",
                "included file \"in/a.jar\" has an empty name"},
        Refusal{"PathWithoutName", R"({"files": ["in/"]})", "included file \"in/\" has an empty name"},
        Refusal{"DuplicateName", R"({"files": ["in/a.jar", {"name": "A.JAR", "path": "in/b.jar"}]})",
                "included file names \"a.jar\" and \"A.JAR\" are the same on Windows"},
        Refusal{"DuplicateNonAsciiName",
                R"({"files": [{"name": "\u00e9.jar", "path": "in/a.jar"}, {"name": "\u00c9.jar", "path": "in/b.jar"}]})",
                "included file names \"\xC3\xA9.jar\" and \"\xC3\x89.jar\" are the same on Windows"},
        Refusal{"UnreadableFile", R"({"files": ["in/a.jar", "in/missing.jar"]})",
                "cannot read included file \"@/in/missing.jar\": No such file or directory"},
        Refusal{"UnreadableJavaBlock", R"({"javaBlock": "in"})", "cannot read Java-side block \"@/in\": not a regular file"},
        Refusal{"UnknownRecordName", R"({"records": {"bogus": "x"}})", "unknown record 'bogus'"},
        Refusal{"WideNameInRecords", R"({"records": {"caption": "x"}})",
                "\"caption\" is a wide record; it belongs in \"wideRecords\""},
        Refusal{"EightBitNameInWideRecords", R"({"wideRecords": {"mainClass": "x"}})",
                "\"mainClass\" is an 8-bit record; it belongs in \"records\""},
        Refusal{"FileCountGiven", R"({"records": {"2002": "1"}})",
                "record 2002 (includedFileCount) is written from \"files\"; the manifest must not set it"},
        Refusal{"FileNamesGiven", R"({"records": {"includedFileNames": "a;"}})",
                "record 2003 (includedFileNames) is written from \"files\"; the manifest must not set it"},
        Refusal{"IdGivenTwice", R"({"records": {"122": "a", "mainClass": "b"}})",
                "record 122 (mainClass) is given twice in \"records\""},
        Refusal{"IdOutOfRange", R"({"records": {"2147483648": "a"}})", "record id \"2147483648\" is out of range"},
        Refusal{"Unrepresentable", R"({"records": {"errorCaption": "Fehler \u0416"}})",
                "record 1000 (errorCaption): U+0416 cannot be represented in code page 1252"},
        Refusal{"UnrepresentableName", R"({"files": [{"name": "\u0416.jar", "path": "in/a.jar"}]})",
                "included file name \"\xD0\x96.jar\": U+0416 cannot be represented in code page 1252"},
        Refusal{"BooleanValue", R"({"records": {"launcherType": true}})",
                "records.launcherType: must be an integer, not true"},
        Refusal{"FractionValue", R"({"wideRecords": {"20099": 1.5}})",
                "wideRecords.20099: must be a string or an integer, not 1.5"},
        Refusal{"ArrayValue", R"({"records": {"mainClass": ["a"]}})",
                "records.mainClass: must be a string or an integer, not an array"},
        Refusal{"InvalidUtf8", "{\"records\": {\"errorCaption\": \"\xFF\"}}",
                "the manifest is not valid JSON: parse error at line 1, column 31: syntax error while parsing value - "
                "invalid string: ill-formed UTF-8 byte"},
        Refusal{"UnknownKey", R"({"recrods": {}})", "unknown manifest key 'recrods', did you mean 'records'?"},
        Refusal{"MisspelledRecord", R"({"wideRecords": {"captoin": "x"}})",
                "unknown record 'captoin', did you mean 'caption'?"},
        Refusal{"MisspelledRecordOfTheOtherKind", R"({"records": {"captoin": "x"}})",
                "unknown record 'captoin', did you mean 'caption'?"},
        Refusal{"MisspelledRecordInCase", R"({"records": {"MAINCLAS": "x"}})",
                "unknown record 'MAINCLAS', did you mean 'mainClass'?"},
        Refusal{"UnknownKeyFarFromAll", R"({"zzzzzz": 1})", "unknown manifest key 'zzzzzz'"},
        Refusal{"IntegerRecordAsText", R"({"records": {"launcherType": "one"}})",
                "records.launcherType: must be an integer, not \"one\""},
        Refusal{"IntegerRecordByIdAsFraction", R"({"records": {"107": 1.5}})", "records.107: must be an integer, not 1.5"},
        Refusal{"SizeBelowZero", R"({"records": {"includedJreSize": -1}})",
                "records.includedJreSize: must be from 0 to 2147483647, not -1"},
        Refusal{"IntegerBeyond32Bits", R"({"records": {"packedJre": "4294967296"}})",
                "records.packedJre: must be from -2147483648 to 2147483647, not 4294967296"},
        Refusal{"RecordsNotAnObject", R"({"records": ["mainClass"]})", "records: must be an object, not an array"},
        Refusal{"FilesNotAnArray", R"({"files": "a.jar"})", "files: must be an array, not \"a.jar\""},
        Refusal{"FileEntryOfNoKind", R"({"files": ["in/a.jar", 7]})",
                "files[1]: must be a path or an object with \"path\" and an optional \"name\", not 7"},
        Refusal{"FileEntryMisspelledKey", R"({"files": [{"pth": "in/a.jar"}]})",
                "unknown key 'pth' in files[0], did you mean 'path'?"},
        Refusal{"FileEntryWithoutPath", R"({"files": [{"name": "a.jar"}]})", "files[0]: must have a \"path\""},
        Refusal{"FileEntryNameNotAString", R"({"files": [{"path": "in/a.jar", "name": 3}]})",
                "files[0].name: must be a string, not 3"},
        Refusal{"CodePageOutOfRange", R"({"codePage": 70000})",
                "codePage: must be a code page number from 1 to 65535, not 70000"},
        Refusal{"SchemaNotAString", R"({"$schema": 1})", "$schema: must be a string, not 1"},
        Refusal{"MisspelledBrandingKey", R"({"branding": {"produtName": "x"}})",
                "unknown key 'produtName' in branding, did you mean 'productName'?"},
        Refusal{"BrandingNotAnObject", R"({"branding": "x.ico"})", "branding: must be an object, not \"x.ico\""},
        Refusal{"BrandingNotAString", R"({"branding": {"fileVersion": 2}})", "branding.fileVersion: must be a string, not 2"},
        Refusal{"BrandingBadLevel", R"({"branding": {"executionLevel": "root"}})",
                "branding.executionLevel: must be asInvoker, highestAvailable or requireAdministrator, not \"root\""},
        Refusal{"BrandingMissingIcon", R"({"branding": {"icon": "none.ico"}})",
                "cannot read icon \"@/none.ico\": No such file or directory"},
        Refusal{"BrandingAStubThatIsNoImage", R"({"branding": {"productName": "x"}})",
                "stub \"@/launcher.exe\" has an unknown optional header"},
        Refusal{"UnknownCodePage", R"({"codePage": 4242})",
                "code page 4242 is not supported (iconv knows no \"CP4242\")"}),
    [](const testing::TestParamInfo<Refusal>& info) { return info.param.label; });

TEST(BuilderBuild, IncludedFilesMustEndWithinTheLaunchersPositions) {
  EXPECT_NO_THROW(checkIncludedFilesEnd(kIncludedFilesLimit));
  EXPECT_THROW(checkIncludedFilesEnd(kIncludedFilesLimit + 1), BuilderError);
  // A file of 2 GiB (sparse: nothing is written) is refused before any output.
  Workspace w;
  std::ofstream(w.dir / "in/huge.bin").close();
  fs::resize_file(w.dir / "in/huge.bin", uint64_t{1} << 31);
  std::string error = buildError(w.request(R"({"files": ["in/a.jar", "in/huge.bin"]})"));
  EXPECT_NE(error.find("beyond the launcher's limit of 2147483647"), std::string::npos) << error;
  EXPECT_TRUE(entries(w.dir / "out").empty());
}

TEST(BuilderBuild, RecordsAreWhatTheLauncherReadsWhole) {
  Workspace w;
  auto manifest = [](const std::string& list, size_t length) {
    return "{\"" + list + "\": {\"" + (list == "records" ? "mainClass" : "caption") + "\": \"" +
           std::string(length, 'x') + "\"}}";
  };
  EXPECT_EQ(buildError(w.request(manifest("records", 8191))), "no error");
  EXPECT_EQ(buildError(w.request(manifest("records", 8192))),
            "record 122 (mainClass) holds 8192 bytes; the launcher reads at most 8191");
  EXPECT_EQ(buildError(w.request(manifest("wideRecords", 8192))),
            "wide record 20013 (caption) holds 8192 UTF-16 units; the launcher reads at most 8191");
  // The name list the builder writes is read whole, however many files there are.
  std::string files;
  for (int i = 0; i < 400; ++i) {
    std::string name = "file_with_a_long_name_" + std::to_string(1000 + i) + ".txt";
    writeText(w.dir.path() / "in" / name, "x");
    files += std::string(i ? "," : "") + "\"in/" + name + "\"";
  }
  EXPECT_EQ(buildError(w.request("{\"files\": [" + files + "]}")), "no error");
}

TEST(BuilderBuild, FailedRenameRemovesTheTemporaryFile) {
  Workspace w;
  BuildRequest request = w.request(R"({"files": ["in/a.jar"]})");
  request.outputPath = w.dir / "out/taken";
  fs::create_directories(w.dir / "out/taken/inside");
  EXPECT_EQ(buildError(request), "cannot write output \"" + request.outputPath + "\": Is a directory");
  EXPECT_EQ(entries(w.dir / "out"), std::vector<std::string>{"taken"});
}

struct Conversion {
  int codePage;
  std::string utf8;
  std::string bytes;
};

TEST(BuilderCodePage, ConvertsBothWays) {
  for (const Conversion& c : {Conversion{1252, "\xC3\xA9\xE2\x82\xAC", "\xE9\x80"}, Conversion{1251, "\xD0\x96", "\xC6"},
                              Conversion{932, "\xE3\x81\x82", "\x82\xA0"}, Conversion{65001, "\xC3\xA9", "\xC3\xA9"}}) {
    EXPECT_EQ(utf8ToCodePage(c.utf8, c.codePage), c.bytes) << c.codePage;
    EXPECT_EQ(codePageToUtf8(c.bytes, c.codePage), c.utf8) << c.codePage;
  }
  EXPECT_EQ(codePageToUtf8("a\x81z", 1252), "a\xEF\xBF\xBDz");
  EXPECT_EQ(utf8ToUtf16le("A\xF0\x9D\x84\x9E"), std::string("A\0\x34\xD8\x1E\xDD", 6));
  EXPECT_EQ(utf16ToUtf8(u"A\U0001D11E\xD800"), "A\xF0\x9D\x84\x9E\xEF\xBF\xBD");
}

TEST(BuilderCodePage, RefusesInvalidUtf8) {
  for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
           {"ab\xC3", "invalid UTF-8 at byte 2"},
           {"\xC0\xAF", "invalid UTF-8 at byte 0"},
           {"x\xED\xA0\x80", "invalid UTF-8 at byte 1"},
           {"\xF4\x90\x80\x80", "invalid UTF-8 at byte 0"},
       }) {
    for (auto convert : {+[](const std::string& t) { return utf8ToCodePage(t, 1252); },
                         +[](const std::string& t) { return utf8ToUtf16le(t); }}) {
      try {
        convert(text);
        ADD_FAILURE() << "accepted " << testing::PrintToString(text);
      } catch (const TextConversionError& error) {
        EXPECT_EQ(error.what(), message);
      }
    }
  }
}

// The layout of this build, by offset:
//   512 magic, 516 count 4, 520 record 107 "1", 529 record 1000 (length at 533,
//   text at 537), 541 record 2002 "1" (text at 549), 550 record 2003 "a.jar;",
//   564 wide count 1, 568 wide record 20013 "Hi", 580 size of a.jar, 588 its
//   data, 591 Java-side block "JV", 593 end.
Bytes inspectedBuild(const Workspace& w, const std::string& caption = "Oops") {
  writeText(w.dir / "m.json", R"({"records": {"errorCaption": ")" + caption +
                                  R"(", "launcherType": 1}, "wideRecords": {"caption": "Hi"},
      "files": ["in/a.jar"], "javaBlock": "in/java.bin", "codePage": 1251})");
  buildLauncher({w.dir / "m.json", w.dir / "out/out.exe", "", w.dir / "launcher.exe"});
  return readFile(w.dir / "out/out.exe");
}

TEST(BuilderInspect, ReportsWhatWasBuilt) {
  Workspace w;
  Inspection inspection = inspectMedia(inspectedBuild(w), 1251);
  EXPECT_EQ(inspectionText(inspection, 1251),
            "payload start: 512\n"
            "8-bit records (code page 1251): 4\n"
            "  107 launcherType: \"1\"\n"
            "  1000 errorCaption: \"Oops\"\n"
            "  2002 includedFileCount: \"1\"\n"
            "  2003 includedFileNames: \"a.jar;\"\n"
            "wide records: 1\n"
            "  20013 caption: \"Hi\"\n"
            "included files: 1 from offset 580\n"
            "  \"a.jar\": 3 bytes at offset 588\n"
            "Java-side block: 2 bytes from offset 591\n");

  nlohmann::json report = nlohmann::json::parse(inspectionJson(inspection));
  EXPECT_EQ(report, nlohmann::json::parse(R"({
    "payloadStart": 512,
    "records": [{"id": 107, "name": "launcherType", "text": "1"}, {"id": 1000, "name": "errorCaption", "text": "Oops"},
                {"id": 2002, "name": "includedFileCount", "text": "1"},
                {"id": 2003, "name": "includedFileNames", "text": "a.jar;"}],
    "wideRecords": [{"id": 20013, "name": "caption", "text": "Hi"}],
    "files": [{"name": "a.jar", "size": 3, "offset": 588}],
    "includedFilesPosition": 580, "unextractedPosition": 591, "javaBlockSize": 2})"));
}

TEST(BuilderInspect, DecodesTheGivenCodePage) {
  Workspace w;
  Bytes media = inspectedBuild(w, "\\u0416");
  EXPECT_EQ(inspectMedia(media, 1251).records[1].text, "\xD0\x96");
  EXPECT_EQ(inspectMedia(media, 1252).records[1].text, "\xC3\x86");
}

struct Damage {
  const char* label;
  size_t truncateTo;  // 0 keeps the whole file
  size_t patchAt;     // 0 patches nothing
  uint64_t patch;
  int patchSize;
  int64_t offset;
  std::string reason;
};

TEST(BuilderInspect, SaysWhereAndWhyThePayloadIsDamaged) {
  Workspace w;
  Bytes built = inspectedBuild(w);
  ASSERT_EQ(built.size(), 593u);
  for (const Damage& d : {
           Damage{"TextCut", 539, 0, 0, 0, 533,
                  "8-bit record 2 of 4 (id 1000): length 4 runs past the end of the file (2 bytes left)"},
           Damage{"LengthCut", 535, 0, 0, 0, 533,
                  "8-bit record 2 of 4 (id 1000): the file ends inside its length (2 bytes left)"},
           Damage{"IdCut", 531, 0, 0, 0, 529, "8-bit record 2 of 4: the file ends inside its id (2 bytes left)"},
           Damage{"NegativeLength", 0, 533, 0xFFFFFFFF, 4, 533, "8-bit record 2 of 4 (id 1000): length -1 is negative"},
           Damage{"WrongMagic", 0, 512, 0, 1, 512, "wrong magic: found 00 13 E4 E8 instead of D5 13 E4 E8"},
           Damage{"NoPayload", 512, 0, 0, 0, 512, "no payload: the file ends where the last section ends"},
           Damage{"CountTooLarge", 0, 516, 75, 4, 516, "8-bit record count 75 cannot fit in the 73 bytes left"},
           Damage{"NegativeWideCount", 0, 564, 0xFFFFFFFF, 4, 564, "wide record count -1 cannot fit in the 25 bytes left"},
           Damage{"FileTooLong", 0, 580, 100, 8, 580,
                  "included file 1 of 1 (a.jar): size 100 runs past the end of the file (5 bytes left)"},
           Damage{"NegativeFileSize", 0, 580, static_cast<uint64_t>(-2), 8, 580,
                  "included file 1 of 1 (a.jar): size -2 is negative"},
           Damage{"FileSizeCut", 584, 0, 0, 0, 580, "included file 1 of 1 (a.jar): the file ends inside its size (4 bytes left)"},
           Damage{"MoreFilesThanNames", 0, 549, '2', 1, 550,
                  "record 2003 (includedFileNames) names 1 file but record 2002 (includedFileCount) says 2 files"},
           Damage{"PeHeaderOutside", 0, 60, 100000, 4, 100006, "cannot read the section count: the file is 593 bytes long"},
           Damage{"TooShortForPe", 30, 0, 0, 0, 60, "cannot read the PE header pointer: the file is 30 bytes long"},
       }) {
    Bytes media = built;
    if (d.truncateTo) media.resize(d.truncateTo);
    if (d.patchAt) putLittleEndian(media, d.patchAt, d.patch, d.patchSize);
    try {
      inspectMedia(media, 1252);
      ADD_FAILURE() << d.label << ": accepted";
    } catch (const DamagedPayload& damage) {
      EXPECT_EQ(damage.offset(), d.offset) << d.label;
      EXPECT_EQ(damage.reason(), d.reason) << d.label;
      EXPECT_EQ(damage.what(), "damaged payload at offset " + std::to_string(d.offset) + ": " + d.reason) << d.label;
    }
  }
}

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

Outcome run(const std::vector<std::string>& arguments, const std::string& defaultStub = "/nowhere/launcher.exe") {
  std::ostringstream out, err;
  int code = runCommandLine(arguments, defaultStub, out, err);
  return {code, out.str(), err.str()};
}

TEST(BuilderCommandLine, ExitCodesAndMessages) {
  Workspace w;
  Bytes media = inspectedBuild(w);
  media.resize(539);
  writeFile(w.dir / "cut.exe", media);
  writeText(w.dir / "m.json", "{}");

  Outcome damaged = run({"inspect", w.dir / "cut.exe", "--json"});
  EXPECT_EQ(damaged.code, 1);
  std::string reason = "8-bit record 2 of 4 (id 1000): length 4 runs past the end of the file (2 bytes left)";
  EXPECT_EQ(nlohmann::json::parse(damaged.out), (nlohmann::json{{"error", reason}, {"offset", 533}}));
  EXPECT_EQ(damaged.err, "ltrbuild: damaged payload at offset 533: " + reason + "\n");

  Outcome noDefaultStub = run({"build", w.dir / "m.json", "-o", w.dir / "out/x.exe"});
  EXPECT_EQ(noDefaultStub.code, 1);
  EXPECT_EQ(noDefaultStub.err, "ltrbuild: cannot read stub \"/nowhere/launcher.exe\": No such file or directory\n");

  Outcome built = run({"build", "--stub", w.dir / "launcher.exe", w.dir / "m.json", "-o", w.dir / "out/x.exe"});
  EXPECT_EQ(built.code, 0);
  EXPECT_EQ(built.err, "");
  EXPECT_EQ(run({"inspect", w.dir / "out/x.exe", "--code-page", "1251"}).out,
            "payload start: 512\n"
            "8-bit records (code page 1251): 2\n"
            "  2002 includedFileCount: \"0\"\n"
            "  2003 includedFileNames: \"\"\n"
            "wide records: 0\n"
            "included files: 0 from offset 541\n"
            "Java-side block: 0 bytes from offset 541\n");

  for (const auto& [arguments, problem] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{}, "no command given"},
           {{"pack"}, "unknown command pack"},
           {{"build", "m.json"}, "build needs -o OUT.exe"},
           {{"build", "m.json", "-o"}, "-o needs a value"},
           {{"build", "a.json", "b.json", "-o", "x"}, "the manifest is given twice"},
           {{"inspect", "x.exe", "--code-page", "abc"}, "--code-page needs a number from 1 to 65535, not abc"},
           {{"inspect", "x.exe", "--verbose"}, "unknown option --verbose"},
       }) {
    Outcome usage = run(arguments);
    EXPECT_EQ(usage.code, 2) << problem;
    EXPECT_EQ(usage.err, "ltrbuild: " + problem +
                             "\nusage: ltrbuild build MANIFEST.json -o OUT.exe [--stub STUB.exe]\n"
                             "       ltrbuild inspect FILE.exe [--json] [--code-page N]\n"
                             "       ltrbuild schema [--reference]\n");
  }
}

}  // namespace
