// The runtime archive reader over an in-memory stream.
#include <gtest/gtest.h>

#include "fake_system.h"
#include "platform/host/log_memory.h"
#include "tar_io_memory.h"
#include "core/tar_reader.h"
#include "tar_bytes.h"

using namespace tar_bytes;

namespace {

// Stands for the progress window: records every position it is given.
struct RecordedProgress {
  std::vector<int> positions;
  Progress progress() {
    return Progress{this, nullptr, [](void* target, int position) {
                      static_cast<RecordedProgress*>(target)->positions.push_back(position);
                    },
                    nullptr, nullptr, nullptr};
  }
};

class TarReader : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    tar_memory::reset();
    clearCapturedLog();
  }
  bool untar(const std::string& archive, int32_t total = 0, const Progress* progress = nullptr) {
    tar_memory::setArchive(archive);
    failure_ = Failure{};
    return untarRuntime("jre.tar.gz", "jre", progress, total, failure_);
  }
  Failure failure_;
  std::string log() { return capturedLog(); }
};

}  // namespace

TEST(TarFields, ParseOctal) {
  struct {
    const char* field;
    int32_t value;
  } cases[] = {
      {"00000000764 ", 500}, {"            ", 0},    {"0           ", 0},  {"00000001750\0", 1000},
      {"   764 12   ", 500}, {"17777777777\0", INT32_MAX},                   {"20000000000\0", -1},
      {"77777777777\0", -1}, {"0000000008\0", -1},   {"-0000000001", -1},  {"\x80\0\0\0\0\0\0\0\0\0\x01\0", -1},
      {"0000000012x\0", -1}, {"\0" "7777", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(parseOctal(c.field, 12), c.value) << c.field;
  EXPECT_EQ(parseOctal("0000000764", 9), 62) << "only width characters are read";
}

TEST(TarFields, EntryNames) {
  struct {
    std::string prefix, name;
    const char* path;
    bool safe;
  } cases[] = {
      {"", "a/b/c.txt", "a\\b\\c.txt", true},
      {"", "./bin/java.exe", ".\\bin\\java.exe", true},
      {"", "bin/", "bin\\", true},
      {"", "./", ".\\", true},
      {"lib/deep", "x.jar", "lib\\deep\\x.jar", true},
      {"", "/etc/passwd", "\\etc\\passwd", false},
      {"", "C:/Windows/x.dll", "C:\\Windows\\x.dll", false},
      {"", "bin:stream", "bin:stream", false},
      {"", "../x", "..\\x", false},
      {"", "a/../../x", "a\\..\\..\\x", false},
      {"..", "x", "..\\x", false},
      {"", "a\\..\\x", "a\\..\\x", false},
      {"", "bin/CON", "bin\\CON", false},
      {"", "bin/nul.txt", "bin\\nul.txt", false},
      {"", "a//b", "a\\\\b", false},
      {"", "", "", false},
  };
  for (const auto& c : cases) {
    Text path;
    EXPECT_EQ(tarEntryName(header(c.name, '0', octal(0), c.prefix).data(), path), c.safe) << c.name;
    EXPECT_STREQ(path, c.path);
  }
}

TEST(TarFields, NamesStopAtTheirFields) {
  std::string block = header(std::string(100, 'n'), '0', octal(0), std::string(155, 'p'));
  block[500] = 'X';  // what follows the prefix field must not be read
  Text path;
  ASSERT_TRUE(tarEntryName(block.data(), path));
  EXPECT_EQ(std::string(path), std::string(155, 'p') + "\\" + std::string(100, 'n'));
}

TEST_F(TarReader, ExtractsDirectoriesAndFilesWithTheirPadding) {
  std::string thousand(1000, 'x');
  std::string full(1024, 'y');
  std::string archive = directory("bin/") + file("bin/java.exe", thousand) + file("bin/jvm.dll", full) +
                        header("bin/link", '2', octal(0)) + header("bin/hard", '1', octal(0)) +
                        file("empty", "") + end();
  ASSERT_TRUE(untar(archive));
  EXPECT_EQ(tar_memory::directories(), (std::set<std::string>{"D:\\work\\jre\\bin\\"}));
  std::map<std::string, std::string> expected = {{"D:\\work\\jre\\bin\\java.exe", thousand},
                                                 {"D:\\work\\jre\\bin\\jvm.dll", full},
                                                 {"D:\\work\\jre\\empty", ""}};
  EXPECT_EQ(tar_memory::files(), expected);
  EXPECT_EQ(tar_memory::currentDirectory(), "D:\\work");
  EXPECT_EQ(log(),
            "extracting bin\\java.exe (size 1000)\n"
            "extracting bin\\jvm.dll (size 1024)\n"
            "extracting empty (size 0)\n"
            "untaring JRE was successful\n");
}

TEST_F(TarReader, CleanEndsOfAGoodArchive) {
  std::string one = file("a.txt", "abc");
  EXPECT_TRUE(untar(one)) << "end of stream right behind the last file";
  EXPECT_TRUE(untar(one + std::string(300, '\0'))) << "a short zero block";
  EXPECT_TRUE(untar(one + end()));
}

TEST_F(TarReader, ProgressFollowsTheStreamAgainstRecord151) {
  std::string archive = file("a", std::string(70000, 'a')) + file("b", "b") + end();
  RecordedProgress window;
  Progress progress = window.progress();
  ASSERT_TRUE(untar(archive, static_cast<int32_t>(archive.size()), &progress));
  // Before each file, then at most every 200 ms of a file (the fake clock
  // ticks 150 ms a call).
  EXPECT_EQ(window.positions, (std::vector<int>{1, 90, 97, 97}));
  tar_memory::reset();
  window.positions.clear();
  ASSERT_TRUE(untar(archive, 0, &progress));
  EXPECT_TRUE(window.positions.empty()) << "record 151 of 0 shows nothing";
}

TEST_F(TarReader, FailuresEndInTheirLogLines) {
  std::string good = file("a.txt", std::string(1000, 'a'));
  std::string truncated = good.substr(0, 512 + 300);
  struct {
    const char* what;
    std::string archive;
    const char* line;
  } cases[] = {
      {"empty stream", "", "ERROR: unexpected eof\n"},
      {"zero block first", end(), "ERROR: no magic number\n"},
      {"only directories", directory("bin/") + directory("lib/") + end(), "ERROR: no magic number\n"},
      {"only directories, no end", directory("bin/"), "ERROR: unexpected eof\n"},
      {"not ustar", header("a", '0', octal(0), "", "GNUxx") + end(), "ERROR: no magic number\n"},
      {"cut in the data", truncated,
       "extracting a.txt (size 1000)\nERROR: sizes don't match: 300, 1000\nERROR: extract file failed\n"},
      {"cut in a header", good + directory("x").substr(0, 200), "ERROR: unexpected eof\n"},
      {"garbage behind a file", good + std::string(512, 'g'), "ERROR: no magic number\n"},
      {"size not octal", header("a", '0', "00000000999") + end(), "ERROR: Invalid size field of a\n"},
      {"size overflows", header("a", '0', "77777777777") + end(), "ERROR: Invalid size field of a\n"},
      {"traversal", file("../evil.dll", "x") + end(), "ERROR: Refused archive entry name \"..\\evil.dll\"\n"},
      {"absolute directory", directory("/abs/") + file("a", "x"), "ERROR: Refused archive entry name \"\\abs\\\"\n"},
      {"drive", file("C:x.dll", "x"), "ERROR: Refused archive entry name \"C:x.dll\"\n"},
  };
  for (const auto& c : cases) {
    SetUp();
    EXPECT_FALSE(untar(c.archive)) << c.what;
    EXPECT_NE(log().find(c.line), std::string::npos) << c.what << ":\n" << log();
    EXPECT_NE(log().find("ERROR: untaring JRE was unsuccessful\n"), std::string::npos) << c.what;
    for (const auto& f : tar_memory::files()) EXPECT_EQ(f.first.rfind("D:\\work\\jre\\", 0), 0u) << c.what;
    EXPECT_EQ(tar_memory::currentDirectory(), "D:\\work") << c.what;
  }
}

TEST_F(TarReader, LinksOutsideAreSkippedAndNeverFollowed) {
  std::string archive = header("jre/escape", '2', octal(0)) + header("hard", '1', octal(0)) +
                        file("kept.txt", "k") + end();
  ASSERT_TRUE(untar(archive));
  EXPECT_EQ(tar_memory::files().size(), 1u);
  EXPECT_TRUE(tar_memory::directories().empty());
}

TEST_F(TarReader, StreamErrors) {
  tar_memory::failOpen();
  EXPECT_FALSE(untar(file("a", "x")));
  EXPECT_EQ(log(), "ERROR: Could not open gz-file\nERROR: untaring JRE was unsuccessful\n");

  SetUp();
  tar_memory::failReadAt(100);
  EXPECT_FALSE(untar(file("a", "x")));
  EXPECT_EQ(log(), "ERROR: gzread failed\nERROR: untaring JRE was unsuccessful\n");

  SetUp();
  tar_memory::failWritesBeyond(40000);
  EXPECT_FALSE(untar(file("big", std::string(70000, 'b')) + end()));
  EXPECT_EQ(log(), "extracting big (size 70000)\nERROR: stream error\nERROR: extract file failed\n"
                   "ERROR: untaring JRE was unsuccessful\n");
}

TEST_F(TarReader, ATargetThatCannotBeCreatedStopsTheLaunchWithTheLiteralName) {
  tar_memory::failCreate("%n%s.dll");
  EXPECT_FALSE(untar(file("%n%s.dll", "x") + end()));
  EXPECT_EQ(failure_.kind, FailureKind::archiveEntryNotCreated);
  Text message;
  failureMessage(ConfigTables{}, failure_, message);
  EXPECT_STREQ(message, "Could not open file %n%s.dll\n");
  EXPECT_TRUE(failureLogsItsText(failure_.kind)) << "the message is logged as it is shown";
  EXPECT_EQ(log(), "extracting %n%s.dll (size 1)\n") << "nothing more is logged on the way to the end";
}
