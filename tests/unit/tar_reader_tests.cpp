// The runtime archive reader over an in-memory stream.
#include <gtest/gtest.h>

#include "fake_system.h"
#include "platform/host/log_memory.h"
#include "tar_io_memory.h"
#include "core/tar_extensions.h"
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
  tar_memory::failEnter();
  EXPECT_FALSE(untar(file("a", "x") + end()));
  EXPECT_EQ(failure_.kind, FailureKind::none) << "a damaged runtime, as the caller tells it";
  EXPECT_TRUE(tar_memory::files().empty()) << "nothing lands beside the destination";
  EXPECT_EQ(tar_memory::currentDirectory(), "D:\\work");
  EXPECT_EQ(log(), "ERROR: Could not change to jre\nERROR: untaring JRE was unsuccessful\n");
}

TEST_F(TarReader, AFailedWriteIsAFullDiskNotADamagedArchive) {
  tar_memory::failWritesBeyond(40000);
  EXPECT_FALSE(untar(file("big", std::string(70000, 'b')) + file("after", "x") + end()));
  EXPECT_EQ(failure_.kind, FailureKind::extractionWrite);
  EXPECT_EQ(tar_memory::files().count("D:\\work\\jre\\after"), 0u) << "the reading stops at the failed write";
  EXPECT_EQ(log(), "extracting big (size 70000)\nERROR: stream error\n");
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

TEST(TarFields, ThePrefixBelongsToPosixHeadersOnly) {
  std::string gnu = header("bin/java.exe", '0', octal(0), "", kGnuMagic);
  memcpy(&gnu[345], "14500012345", 11);  // GNU keeps the access time here
  Text path;
  ASSERT_TRUE(tarEntryName(gnu.data(), path));
  EXPECT_STREQ(path, "bin\\java.exe");
  ASSERT_TRUE(tarEntryName(header("java.exe", '0', octal(0), "bin").data(), path));
  EXPECT_STREQ(path, "bin\\java.exe");
}

TEST(TarFields, PaxRecords) {
  std::string longPath = "legal/" + std::string(300, 'p');
  struct {
    const char* what;
    std::string data;
    std::string path, linkPath;
    int64_t size;
    bool sparse, malformed, tooLong;
  } cases[] = {
      {"path, linkpath and size", paxRecord("path", longPath) + paxRecord("linkpath", "bin/java") +
                                     paxRecord("size", "1234567"),
       longPath, "bin/java", 1234567, false, false, false},
      {"other keys pass by", paxRecord("mtime", "1.5") + paxRecord("SCHILY.xattr.user.x", std::string(5000, 'v')) +
                                 paxRecord("path", "a/b"),
       "a/b", "", -1, false, false, false},
      {"a key like path is not path", paxRecord("paths", "x") + paxRecord("pathpathpathpathpathpathpath", "y"), "", "",
       -1, false, false, false},
      {"the last record wins", paxRecord("path", "a") + paxRecord("path", "b"), "b", "", -1, false, false, false},
      {"an empty value takes the header's field back", paxRecord("path", "a") + paxRecord("path", "") +
                                                          paxRecord("size", "7") + paxRecord("size", ""),
       "", "", -1, false, false, false},
      {"a value holding = and a newline", paxRecord("path", "a=b\nc"), "a=b\nc", "", -1, false, false, false},
      {"sparse keys", paxRecord("GNU.sparse.major", "1") + paxRecord("GNU.sparse.name", "x"), "", "", -1, true, false,
       false},
      {"huge size", paxRecord("size", "99999999999999999999"), "", "", int64_t{1} << 40, false, false, false},
      {"no length", " path=a\n", "", "", -1, false, true, false},
      {"length not a number", "1x path=a\n", "", "", -1, false, true, false},
      {"length shorter than the key", "5 path=a\n", "", "", -1, false, true, false},
      {"length past the newline", "11 path=a\nxx", "", "", -1, false, true, false},
      {"cut short", paxRecord("path", "abc").substr(0, 8), "", "", -1, false, true, false},
      {"size with a sign", paxRecord("size", "-1"), "", "", -1, false, true, false},
      {"NUL inside a path", paxRecord("path", std::string("a\0b", 3)), "", "", -1, false, true, false},
      {"path longer than a text", paxRecord("path", std::string(9000, 'n')), "", "", -1, false, false, true},
  };
  for (const auto& c : cases) {
    static TarExtensions extensions;
    clearTarExtensions(extensions);
    PaxParser parser;
    // Fed in pieces of 7 bytes: records cross the pieces.
    for (size_t i = 0; i < c.data.size(); i += 7)
      feedPax(parser, c.data.data() + i, std::min<size_t>(7, c.data.size() - i), extensions);
    finishPax(parser, extensions);
    EXPECT_EQ(extensions.malformed, c.malformed) << c.what;
    EXPECT_EQ(extensions.tooLong, c.tooLong) << c.what;
    if (c.malformed || c.tooLong) continue;
    EXPECT_EQ(extensions.path, c.path) << c.what;
    EXPECT_EQ(extensions.linkPath, c.linkPath) << c.what;
    EXPECT_EQ(extensions.size, c.size) << c.what;
    EXPECT_EQ(extensions.sparse, c.sparse) << c.what;
  }
}

TEST_F(TarReader, LongNamesFromGnuRecordsAndPaxHeaders) {
  std::string name113 = "legal/jdk.internal.vm.compiler.management.extensions/longmodule/third-party-notices-for-the-bundle.md";
  std::string name300 = "lib/" + std::string(60, 'a') + "/" + std::string(60, 'b') + "/" + std::string(60, 'c') + "/" +
                        std::string(60, 'd') + "/" + std::string(50, 'e') + ".txt";
  std::string archive =
      extension('L', name113 + '\0', kGnuMagic) + header(name113.substr(0, 100), '0', octal(5), "", kGnuMagic) +
      padded("gnu-L") + extension('x', paxRecord("path", name300) + paxRecord("mtime", "1")) +
      header(name300.substr(0, 100), '0', octal(3)) + padded("pax") +
      extension('g', paxRecord("path", "global/ignored.txt")) + file("after-global.txt", "g") +
      // pax's size wins over the header's (here a base-256 field)
      extension('x', paxRecord("size", "4")) + header("sized.bin", '0', "\x80\0\0\0\0\0\0\0\0\0\0\x04") +
      padded("size") + end();
  ASSERT_TRUE(untar(archive)) << log();
  auto backslashed = [](std::string path) {
    for (char& c : path)
      if (c == '/') c = '\\';
    return "D:\\work\\jre\\" + path;
  };
  std::map<std::string, std::string> expected = {{backslashed(name113), "gnu-L"},
                                                 {backslashed(name300), "pax"},
                                                 {"D:\\work\\jre\\after-global.txt", "g"},
                                                 {"D:\\work\\jre\\sized.bin", "size"}};
  EXPECT_EQ(tar_memory::files(), expected);
  EXPECT_NE(log().find("extracting " + backslashed(name113).substr(12) + " (size 5)\n"), std::string::npos) << log();
}

TEST_F(TarReader, ParentsAreMadeForArchivesWithoutDirectoryEntries) {
  std::string deep;
  for (int i = 0; i < 24; ++i) deep += "d" + std::to_string(i) + "/";
  std::string archive = file("./bin/client/jvm.dll", "vm") + file("./bin/java.exe", "java") +
                        file(deep + "leaf.txt", "deep") + directory("lib/a/b/") + file("lib/a/b/c.jar", "c") + end();
  ASSERT_TRUE(untar(archive)) << log();
  EXPECT_EQ(tar_memory::files().at("D:\\work\\jre\\bin\\client\\jvm.dll"), "vm");
  EXPECT_EQ(tar_memory::files().at("D:\\work\\jre\\bin\\java.exe"), "java");
  EXPECT_EQ(tar_memory::files().at("D:\\work\\jre\\lib\\a\\b\\c.jar"), "c");
  std::string leaf = "D:\\work\\jre\\" + deep + "leaf.txt";
  for (char& c : leaf)
    if (c == '/') c = '\\';
  EXPECT_EQ(tar_memory::files().at(leaf), "deep");
  EXPECT_TRUE(tar_memory::directories().count("D:\\work\\jre\\bin"));
  EXPECT_TRUE(tar_memory::directories().count("D:\\work\\jre\\lib\\a"));
  for (const auto& d : tar_memory::directories()) EXPECT_EQ(d.rfind("D:\\work\\jre\\", 0), 0u) << d;
}

TEST_F(TarReader, HardLinksToEarlierFilesBecomeCopies) {
  std::string archive = file("bin/java.exe", "java") + link("bin/javaw.exe", '1', "bin/java.exe") +
                        link("other/dir/copy.exe", '1', "bin/java.exe") +
                        extension('K', std::string(120, 'k') + '\0', kGnuMagic) +
                        link("long-target", '1', std::string(100, 'k')) +
                        extension('x', paxRecord("linkpath", "bin/java.exe")) + link("pax-copy", '1', "ignored") +
                        link("to-a-later-file", '1', "later.txt") + file("later.txt", "later") +
                        link("outside", '1', "../x") + end();
  ASSERT_TRUE(untar(archive)) << log();
  std::map<std::string, std::string> expected = {{"D:\\work\\jre\\bin\\java.exe", "java"},
                                                 {"D:\\work\\jre\\bin\\javaw.exe", "java"},
                                                 {"D:\\work\\jre\\other\\dir\\copy.exe", "java"},
                                                 {"D:\\work\\jre\\pax-copy", "java"},
                                                 {"D:\\work\\jre\\later.txt", "later"}};
  EXPECT_EQ(tar_memory::files(), expected);
  EXPECT_NE(log().find("extracting bin\\javaw.exe (copy of bin\\java.exe)\n"), std::string::npos) << log();
}

TEST_F(TarReader, AHardLinkCopyThatCannotBeWrittenStopsTheLaunch) {
  tar_memory::failCreate("b");
  EXPECT_FALSE(untar(file("a", "x") + link("b", '1', "a") + end()));
  EXPECT_EQ(failure_.kind, FailureKind::archiveEntryNotCreated);
  EXPECT_STREQ(failure_.about, "b");
}

TEST_F(TarReader, NoDirectoryIsMadeWhereASymbolicLinkStood) {
  std::string archive = link("escape", '2', "../../..") + file("escape/evil.txt", "evil") + end();
  EXPECT_FALSE(untar(archive));
  EXPECT_EQ(failure_.kind, FailureKind::archiveEntryNotCreated);
  EXPECT_TRUE(tar_memory::files().empty());
  EXPECT_TRUE(tar_memory::directories().empty());
}

TEST_F(TarReader, OtherRegularFileTypes) {
  std::string archive = header("nul-type", '\0', octal(1)) + padded("n") + header("contiguous", '7', octal(1)) +
                        padded("c") + header("fifo", '6', octal(0)) + end();
  ASSERT_TRUE(untar(archive)) << log();
  std::map<std::string, std::string> expected = {{"D:\\work\\jre\\nul-type", "n"}, {"D:\\work\\jre\\contiguous", "c"}};
  EXPECT_EQ(tar_memory::files(), expected);
}

TEST_F(TarReader, WhatCannotBeRepresentedIsADamagedArchive) {
  std::string good = file("a.txt", "a");
  struct {
    const char* what;
    std::string archive;
    const char* line;
  } cases[] = {
      {"pax path outside", good + extension('x', paxRecord("path", "../evil.dll")) + file("x", "x") + end(),
       "ERROR: Refused archive entry name \"..\\evil.dll\"\n"},
      {"GNU long name outside", good + extension('L', "/etc/evil" + std::string(100, 'x') + '\0', kGnuMagic) +
                                    header("x", '0', octal(1), "", kGnuMagic) + padded("x"),
       "ERROR: Refused archive entry name \"\\etc\\evil"},
      {"pax path with a device", good + extension('x', paxRecord("path", "bin/aux.dll")) + file("x", "x"),
       "ERROR: Refused archive entry name \"bin\\aux.dll\"\n"},
      {"a component too long for Windows", good + extension('x', paxRecord("path", std::string(800, 'c'))) +
                                               file("x", "x"),
       "ERROR: Refused archive entry name \"ccc"},
      {"a name longer than a text", good + extension('L', std::string(9000, 'n') + '\0') + file("x", "x"),
       "ERROR: Archive entry name too long\n"},
      {"a broken pax record", good + extension('x', "99 path=a\n") + file("x", "x"), "ERROR: Invalid extended header\n"},
      {"a pax size beyond 32 bits", good + extension('x', paxRecord("size", "4294967296")) + file("x", "x"),
       "ERROR: Invalid size field of x\n"},
      {"an extension cut short", good + extension('x', paxRecord("path", std::string(2000, 'p'))).substr(0, 1024),
       "ERROR: unexpected eof\n"},
      {"an extension's size not octal", good + header("././@LongLink", 'L', "0000000009x"),
       "ERROR: Invalid size field of an extended header\n"},
      {"a GNU sparse file", good + header("sparse", 'S', octal(0), "", kGnuMagic) + end(),
       "ERROR: Unsupported archive entry \"sparse\"\n"},
      {"a pax sparse file", good + extension('x', paxRecord("GNU.sparse.major", "1")) + file("x", "map") + end(),
       "ERROR: Unsupported archive entry \"x\"\n"},
      {"a multi-volume continuation", good + header("cont", 'M', octal(0), "", kGnuMagic) + end(),
       "ERROR: Unsupported archive entry \"cont\"\n"},
      {"a hard link named outside", good + link("../outside", '1', "a.txt") + end(),
       "ERROR: Refused archive entry name \"..\\outside\"\n"},
  };
  for (const auto& c : cases) {
    SetUp();
    EXPECT_FALSE(untar(c.archive)) << c.what;
    EXPECT_EQ(failure_.kind, FailureKind::none) << c.what;
    EXPECT_NE(log().find(c.line), std::string::npos) << c.what << ":\n" << log();
    EXPECT_NE(log().find("ERROR: untaring JRE was unsuccessful\n"), std::string::npos) << c.what;
    std::map<std::string, std::string> only = {{"D:\\work\\jre\\a.txt", "a"}};
    EXPECT_EQ(tar_memory::files(), only) << c.what;
  }
}

TEST_F(TarReader, UTF8NamesAreWrittenAsTheyAreAndLoggedInTheAnsiCodePage) {
  // The host stands in for Windows with Latin-1 as the ANSI code page.
  std::string name = "unicode/Gr\xC3\xBC\xC3\x9F" "e \xE6\x9D\xB1.txt";
  ASSERT_TRUE(untar(file(name, "u") + file("latin1-\xFC.txt", "l") + end()));
  EXPECT_EQ(tar_memory::files().count("D:\\work\\jre\\unicode\\Gr\xC3\xBC\xC3\x9F" "e \xE6\x9D\xB1.txt"), 1u);
  EXPECT_EQ(log(),
            "extracting unicode\\Gr\xFC\xDF" "e ?.txt (size 1)\n"
            "extracting latin1-\xFC.txt (size 1)\n"
            "untaring JRE was successful\n");
}
