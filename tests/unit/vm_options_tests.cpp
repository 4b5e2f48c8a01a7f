// The option list the Java virtual machine receives: configured options,
// "-J" arguments, .vmoptions files with their includes, and the class path.
// Files that are opened are real files in a scratch directory that is the
// current directory; a Windows-looking path such as "C:\inst\more.vmoptions"
// is a file of that name there.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "fake_system.h"
#include "platform/host/log_memory.h"
#include "core/record_ids.h"
#include "core/vm_options.h"

namespace {

using Options = std::vector<std::string>;

Options optionsOf(const VmOptionList& list) { return Options(list.items, list.items + list.count); }

// The log with the file handles as "file" or "null": %p differs between platforms.
std::string logLines() {
  std::string log = std::regex_replace(capturedLog(), std::regex("\\(nil\\)"), "null");
  return std::regex_replace(log, std::regex("0x[0-9a-f]+"), "file");
}

ArgumentList argumentsOf(const std::vector<std::u16string>& tokens) {
  ArgumentList list;
  list.items = static_cast<char16_t**>(malloc(sizeof(char16_t*) * (tokens.size() + 1)));
  for (const auto& token : tokens) {
    size_t bytes = (token.size() + 1) * sizeof(char16_t);
    list.items[list.count] = static_cast<char16_t*>(malloc(bytes));
    memcpy(list.items[list.count++], token.c_str(), bytes);
  }
  return list;
}

// What stopped an assembly: the record whose message the user sees, and its argument.
struct Stop {
  int id;
  std::string argument;
};

// What an assembly gave: the options, or the failure that stopped it.
struct Assembly {
  Options options;
  bool stopped = false;
  Stop error{0, ""};
};

// The launch's directories as the assembly sees them.
std::string workDirectory = "D:\\tmp\\w1";

Stop stopOf(const Failure& failure) { return Stop{failureEnd(failure.kind).record, failure.about}; }

std::string messageOf(const Failure& failure) {
  Text message;
  failureMessage(fake::config(), failure, message);
  return message;
}

VmOptionsSource sourceOf(const ArgumentList* commandLine, Failure* failure) {
  return VmOptionsSource{&fake::config(), LaunchDirectories{workDirectory.c_str(), ""}, commandLine, failure};
}

LaunchDirectories directories() { return LaunchDirectories{workDirectory.c_str(), ""}; }

class VmOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    shown.clear();
    clearCapturedLog();
    workDirectory = "D:\\tmp\\w1";
    char pattern[] = "/tmp/vm_options_tests.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    scratch_ = pattern;
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(scratch_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(scratch_);
    fake::reset();
    clearCapturedLog();
  }

  static void writeFile(const std::string& name, const std::string& content) {
    std::ofstream(name, std::ios::binary) << content;
  }

  static Assembly assemble(const Options& properties = {},
                           const std::vector<std::u16string>& commandLine = {}) {
    std::vector<const char*> pointers;
    for (const auto& p : properties) pointers.push_back(p.c_str());
    pointers.push_back(nullptr);
    ArgumentList arguments = argumentsOf(commandLine);
    VmOptionList list;
    Assembly result;
    Failure failure;
    if (!assembleVmOptions(pointers.data(), sourceOf(&arguments, &failure), &list)) {
      result.stopped = true;
      result.error = stopOf(failure);
      shown.push_back(messageOf(failure));
    }
    result.options = optionsOf(list);
    freeVmOptionList(&list);
    freeArgumentList(&arguments);
    return result;
  }

  // The options of a file read through readVmOptionsFile.
  static Options readFile(const std::string& content, ClassPathOverrides* overrides) {
    writeFile("options.vmoptions", content);
    VmOptionList list;
    readVmOptionsFile(fopen("options.vmoptions", "r"), &list, overrides, directories());
    Options options = optionsOf(list);
    freeVmOptionList(&list);
    return options;
  }

  static Options include(const std::string& path) {
    ClassPathOverrides overrides = {};
    VmOptionList list;
    addVmOption(("-include-options " + path).c_str(), &list, &overrides, directories());
    Options options = optionsOf(list);
    freeVmOptionList(&list);
    return options;
  }

  // The class path entries of record 121 alone, or the fatal error.
  static Assembly configuredClassPath(const std::string& entries) {
    fake::setConfigRecords({{kRecord_classPath, entries}});
    std::vector<char> classPath(kClassPathCapacity, 0);
    Assembly result;
    Failure failure;
    if (!addConfiguredClassPath(sourceOf(nullptr, &failure), classPath.data(), classPath.size())) {
      result.stopped = true;
      result.error = stopOf(failure);
    }
    result.options = {classPath.data()};
    return result;
  }

  std::filesystem::path scratch_;
  std::filesystem::path previous_;
  // The messages of the assemblies that stopped, in order.
  static std::vector<std::string> shown;
};

std::vector<std::string> VmOptions::shown;

TEST_F(VmOptions, WithoutAnythingConfiguredThePropertiesAndTheWorkDirectoryArchives) {
  fake::addFile("D:\\tmp\\w1\\b.zip");
  fake::addFile("D:\\tmp\\w1\\z.jar");
  fake::addFile("D:\\tmp\\w1\\a.JAR");
  fake::addFile("D:\\tmp\\w1\\notes.txt");
  fake::addFile("D:\\tmp\\w1\\sub\\c.jar");
  Assembly a = assemble({"-Dlantor.tempDir=D:\\tmp\\w1", "-Dlantor.x=1"});
  EXPECT_FALSE(a.stopped);
  EXPECT_EQ(a.options,
            (Options{"-Dlantor.tempDir=D:\\tmp\\w1", "-Dlantor.x=1",
                     "-Djava.class.path=D:\\tmp\\w1\\z.jar;D:\\tmp\\w1\\a.JAR;D:\\tmp\\w1\\b.zip;"}));
  EXPECT_EQ(logLines(), "adding options\n\ndefault vmoptions file: null\n");
}

TEST_F(VmOptions, EmptyWhenThereIsNoWorkDirectory) {
  workDirectory = "";
  EXPECT_EQ(assemble().options, Options{"-Djava.class.path="});
}

TEST_F(VmOptions, TheListKeepsTheOrderOfItsSources) {
  fake::setConfigRecords({{kRecord_vmParameters, "-Dfrom=123"}, {kRecord_jArgumentsAsVmOptions, "1"}});
  writeFile("C:\\inst\\setup.vmoptions", "-Dfrom=file\n");
  Assembly a = assemble({"-Dfrom=property"}, {u"C:\\inst\\setup.exe", u"-J-Dfrom=command"});
  EXPECT_EQ(a.options, (Options{"-Dfrom=property", "-Dfrom=123", "-Dfrom=command", "-Dfrom=file",
                                "-Djava.class.path="}));
  EXPECT_EQ(logLines(), "adding options\n\ndefault vmoptions file: file\n");
}

TEST_F(VmOptions, LinesOfAFile) {
  std::string longLine(kTextCapacity - 1, 'a');
  struct {
    std::string content;
    Options options;
  } cases[] = {
      {"  -Xmx512m  \n#-Xms64m\n\n-Dmsg=hello world\n", {"-Xmx512m", "-Dmsg=hello world"}},
      {"-Da\r\n-Db\r\r\n\r\n-Dc", {"-Da", "-Db", "-Dc"}},
      {"\t-Dtab\t\n   # indented comment\n-Dx=1 # kept\n", {"\t-Dtab\t", "-Dx=1 # kept"}},
      {"-Dhome=%LANTOR_EXEDIR%x\n-Dtemp=${launcher:sys.launcherTempDirectory}\n",
       {"-Dhome=C:\\inst\\x", "-Dtemp=D:\\tmp\\w1"}},
      {"-classpath\n-include-options\n-classpathx y\n", {"-classpath", "-include-options", "-classpathx y"}},
      {longLine + "bcd\n", {longLine, "bcd"}},
      {"   \n\n#\n", {}},
      {"", {}},
  };
  for (const auto& c : cases) {
    ClassPathOverrides overrides = {};
    EXPECT_EQ(readFile(c.content, &overrides), c.options) << c.content;
  }
}

TEST_F(VmOptions, ALineThatGrowsBySubstitutionIsCutAtTheBuffer) {
  fake::setEnvironment("BIG", std::string(9000, 'x'));
  ClassPathOverrides overrides = {};
  EXPECT_EQ(readFile("-Dbig=${BIG}\n-Dnext\n", &overrides),
            (Options{"-Dbig=" + std::string(kTextCapacity - 7, 'x'), "-Dnext"}));
}

TEST_F(VmOptions, ClassPathFormsSetTheOverridesAndALaterOneWins) {
  ClassPathOverrides overrides = {};
  EXPECT_EQ(readFile("-classpath C:\\one.jar\n-classpath/p p1.jar\n-classpath C:\\two.jar\n"
                     "-classpath/a s.jar\n-classpath/p p2.jar;p3.jar\n-Dother\n",
                     &overrides),
            Options{"-Dother"});
  EXPECT_STREQ(overrides.replacement, "C:\\two.jar");
  EXPECT_STREQ(overrides.prefix, "p2.jar;p3.jar");
  EXPECT_STREQ(overrides.suffix, "s.jar");
}

TEST_F(VmOptions, TheDefaultFileIsTheLauncherPathWithItsExtensionOrWithout) {
  struct {
    std::vector<std::string> files;
    Options options;
    const char* handle;
  } cases[] = {
      {{"C:\\inst\\setup.vmoptions"}, {"-Dfrom=C:\\inst\\setup.vmoptions"}, "file"},
      {{"C:\\inst\\setup.exe.vmoptions"}, {"-Dfrom=C:\\inst\\setup.exe.vmoptions"}, "file"},
      {{"C:\\inst\\setup.exe.vmoptions", "C:\\inst\\setup.vmoptions"},
       {"-Dfrom=C:\\inst\\setup.vmoptions"},
       "file"},
      {{"C:\\inst\\other.vmoptions", "setup.vmoptions"}, {}, "null"},
  };
  for (const auto& c : cases) {
    for (const auto& f : c.files) writeFile(f, "-Dfrom=" + f + "\n");
    clearCapturedLog();
    Options expected = c.options;
    expected.push_back("-Djava.class.path=");
    EXPECT_EQ(assemble().options, expected) << c.files[0];
    EXPECT_EQ(logLines(), "adding options\n\ndefault vmoptions file: " + std::string(c.handle) + "\n");
    for (const auto& f : c.files) std::filesystem::remove(f);
  }
}

TEST_F(VmOptions, ConfiguredParametersAreSubstitutedSplitAndIncluded) {
  fake::setEnvironment("OPTS", "-Da=1 -Db=2");
  writeFile("inc.vmoptions", "-Dinc=1\n");
  writeFile("my dir.vmoptions", "-Dspaced=1\n");
  struct {
    std::string parameters;
    Options options;
    std::string log;
  } cases[] = {
      {"-Xmx256m \"-Dname=a b\" -include-options inc.vmoptions -Dlast",
       {"-Xmx256m", "-Dname=a b", "-Dinc=1", "-Dlast", "-Djava.class.path="},
       "adding vmoptions from <inc.vmoptions> (file)\n"},
      {"-include-options 'my dir.vmoptions' \"-include-options inc.vmoptions\"",
       {"-Dspaced=1", "-Dinc=1", "-Djava.class.path="},
       "adding vmoptions from <my dir.vmoptions> (file)\nadding vmoptions from <inc.vmoptions> (file)\n"},
      {"-Dx -include-options", {"-Dx", "-include-options", "-Djava.class.path="}, ""},
      {"${OPTS} -Dd=${launcher:sys.launcherDirectory}",
       {"-Da=1", "-Db=2", "-Dd=C:\\inst\\", "-Djava.class.path="},
       ""},
      {"-include-options nothere.vmoptions -Dy",
       {"-Dy", "-Djava.class.path="},
       "adding vmoptions from <nothere.vmoptions> (null)\n"},
      {"-classpath C:\\r.jar '-classpath C:\\s.jar'",
       {"-classpath", "C:\\r.jar", "-Djava.class.path=C:\\s.jar"},
       ""},
      {"", {"-Djava.class.path="}, ""},
  };
  for (const auto& c : cases) {
    fake::setConfigRecords({{kRecord_vmParameters, c.parameters}});
    clearCapturedLog();
    EXPECT_EQ(assemble().options, c.options) << c.parameters;
    EXPECT_EQ(logLines(), "adding options\n\n" + c.log + "default vmoptions file: null\n") << c.parameters;
  }
}

TEST_F(VmOptions, AnUnclosedQuoteInTheParametersStopsTheLauncher) {
  fake::setConfigRecords(
      {{kRecord_vmParameters, "-Da \"-Db"}, {kRecord_msgWrongParameterUsage, "Wrong Parameter Usage"}});
  Assembly a = assemble({"-Dp"});
  EXPECT_TRUE(a.stopped);
  EXPECT_EQ(a.error.id, kRecord_msgWrongParameterUsage);
  EXPECT_EQ(a.error.argument, "");
  EXPECT_EQ(a.options, Options{"-Dp"});
  EXPECT_EQ(shown, std::vector<std::string>{"Wrong Parameter Usage"});
}

TEST_F(VmOptions, JArgumentsBecomeOptionsWhenRecord125AsksForThem) {
  std::vector<std::u16string> commandLine = {
      u"-J-first", u"C:\\inst\\setup.exe",  u"-J-Xmx1g", u"-q",
      u"-j-lower", u"-J-Dcaf\u00e9=\u0416", u"x-J-no",   u"-J-classpath/p C:\\p.jar"};
  struct {
    const char* record125;
    Options options;
  } cases[] = {
      {"1", {"-first", "-Xmx1g", "-Dcaf\xe9=?", "-Djava.class.path=C:\\p.jar;"}},
      {" 7", {"-first", "-Xmx1g", "-Dcaf\xe9=?", "-Djava.class.path=C:\\p.jar;"}},
      {"0", {"-Djava.class.path="}},
      {"no", {"-Djava.class.path="}},
  };
  for (const auto& c : cases) {
    fake::setConfigRecords({{kRecord_jArgumentsAsVmOptions, c.record125}});
    EXPECT_EQ(assemble({}, commandLine).options, c.options) << c.record125;
  }
}

TEST_F(VmOptions, AnIncludeInTheDefaultFileReadsItsFileAtThatPoint) {
  writeFile("C:\\inst\\setup.vmoptions",
            "-Dbefore\n-include-options %LANTOR_EXEDIR%more.vmoptions\n-Dafter\n");
  writeFile("C:\\inst\\more.vmoptions",
            "-Dmore1\n-include-options ${launcher:sys.launcherTempDirectory}\\x\n-Dmore2\n");
  writeFile("D:\\tmp\\w1\\x", "-Dx\n");
  EXPECT_EQ(assemble().options,
            (Options{"-Dbefore", "-Dmore1", "-Dx", "-Dmore2", "-Dafter", "-Djava.class.path="}));
  EXPECT_EQ(logLines(),
            "adding options\n\n"
            "default vmoptions file: file\n"
            "adding vmoptions from <C:\\inst\\more.vmoptions> (file)\n"
            "adding vmoptions from <D:\\tmp\\w1\\x> (file)\n");
}

TEST_F(VmOptions, FilesThatIncludeEachOtherStopAtTheDepthLimit) {
  writeFile("loop.vmoptions", "-Dloop\n-include-options loop.vmoptions\n");
  writeFile("a.vmoptions", "-Da\n-include-options b.vmoptions\n");
  writeFile("b.vmoptions", "-Db\n-include-options a.vmoptions\n");
  struct {
    std::string first;
    Options lines;
    std::vector<std::string> files;
  } cases[] = {
      {"loop.vmoptions", {"-Dloop"}, {"loop.vmoptions"}},
      {"a.vmoptions", {"-Da", "-Db"}, {"a.vmoptions", "b.vmoptions"}},
  };
  for (const auto& c : cases) {
    clearCapturedLog();
    Options options;
    std::string log;
    for (int depth = 0; depth < kMaxIncludeDepth; ++depth) {
      options.push_back(c.lines[depth % c.lines.size()]);
      log += "adding vmoptions from <" + c.files[depth % c.files.size()] + "> (file)\n";
    }
    log += "ERROR: vmoptions file <" + c.files[kMaxIncludeDepth % c.files.size()] +
           "> not read: include depth exceeded\n";
    EXPECT_EQ(include(c.first), options) << c.first;
    EXPECT_EQ(logLines(), log) << c.first;
  }
  EXPECT_EQ(kMaxIncludeDepth, 16);
}

TEST_F(VmOptions, AChainOfIncludesIsReadUpToTheDepthLimit) {
  for (int i = 1; i <= kMaxIncludeDepth + 1; ++i)
    writeFile("f" + std::to_string(i),
              "-Df" + std::to_string(i) + "\n-include-options f" + std::to_string(i + 1) + "\n");
  Options expected;
  for (int i = 1; i <= kMaxIncludeDepth; ++i) expected.push_back("-Df" + std::to_string(i));
  EXPECT_EQ(include("f1"), expected);
  EXPECT_NE(logLines().find("adding vmoptions from <f16> (file)\nERROR: vmoptions file <f17> not read: "
                            "include depth exceeded\n"),
            std::string::npos);

  std::filesystem::remove("f" + std::to_string(kMaxIncludeDepth));
  expected.pop_back();
  clearCapturedLog();
  EXPECT_EQ(include("f1"), expected);
  EXPECT_EQ(logLines().find("ERROR"), std::string::npos);
}

TEST_F(VmOptions, OverridesShapeTheClassPath) {
  fake::addFile("D:\\tmp\\w1\\a.jar");
  fake::addFile("C:\\inst\\lib\\c.jar");
  struct {
    const char* prefix;
    const char* replacement;
    const char* suffix;
    const char* entries;
    const char* classPath;
  } cases[] = {
      {"", "", "", "S0lib", "-Djava.class.path=D:\\tmp\\w1\\a.jar;C:\\inst\\lib\\c.jar;"},
      {"C:\\p.jar", "", "", "", "-Djava.class.path=C:\\p.jar;D:\\tmp\\w1\\a.jar;"},
      {"", "", "x.jar", "", "-Djava.class.path=D:\\tmp\\w1\\a.jar;x.jar"},
      {"", "C:\\r.jar", "", "A1missing.jar", "-Djava.class.path=D:\\tmp\\w1\\a.jar;C:\\r.jar"},
      {"", "C:\\r.jar", "x.jar", "", "-Djava.class.path=D:\\tmp\\w1\\a.jar;C:\\r.jar;x.jar"},
      {"", "C:\\r.jar;", "x.jar", "", "-Djava.class.path=D:\\tmp\\w1\\a.jar;C:\\r.jar;x.jar"},
      {"p;q", "r", "s", "", "-Djava.class.path=p;q;D:\\tmp\\w1\\a.jar;r;s"},
  };
  for (const auto& c : cases) {
    fake::setConfigRecords({{kRecord_classPath, c.entries}});
    ClassPathOverrides overrides = {};
    copyText(overrides.prefix, sizeof overrides.prefix, c.prefix);
    copyText(overrides.replacement, sizeof overrides.replacement, c.replacement);
    copyText(overrides.suffix, sizeof overrides.suffix, c.suffix);
    std::vector<char> classPath(kClassPathCapacity);
    Failure failure;
    EXPECT_TRUE(buildClassPathOption(sourceOf(nullptr, &failure), overrides, classPath.data(), classPath.size()));
    EXPECT_STREQ(classPath.data(), c.classPath);
  }

  // The suffix always follows a separator, even that of an empty class path.
  workDirectory = "";
  fake::setConfigRecords({});
  ClassPathOverrides overrides = {};
  copyText(overrides.suffix, sizeof overrides.suffix, "x.jar");
  std::vector<char> classPath(kClassPathCapacity);
  Failure failure;
  EXPECT_TRUE(buildClassPathOption(sourceOf(nullptr, &failure), overrides, classPath.data(), classPath.size()));
  EXPECT_STREQ(classPath.data(), "-Djava.class.path=;x.jar");
}

TEST_F(VmOptions, TwoReplacementLinesInTheDefaultFileLeaveOutTheConfiguredEntries) {
  fake::addFile("D:\\tmp\\w1\\a.jar");
  fake::addFile("D:\\tmp\\w1\\b.zip");
  fake::setConfigRecords({{kRecord_classPath, "A1missing.jar"}});
  writeFile("C:\\inst\\setup.vmoptions", "-classpath C:\\one.jar\n-classpath C:\\two.jar\n");
  Assembly a = assemble();
  EXPECT_FALSE(a.stopped);
  EXPECT_EQ(a.options, Options{"-Djava.class.path=D:\\tmp\\w1\\a.jar;D:\\tmp\\w1\\b.zip;C:\\two.jar"});
}

TEST_F(VmOptions, ConfiguredClassPathEntries) {
  fake::addFile("C:\\inst\\lib\\x.jar");
  fake::addFile("C:\\inst\\lib\\y.zip");
  fake::addFile("C:\\inst\\lib\\z.jar");
  fake::addDirectory("C:\\inst\\classes");
  fake::addDirectory("C:\\inst\\empty");
  fake::addFile("E:\\abs\\a.jar");
  fake::addFile("D:\\tmp\\w1\\here.jar");
  fake::setEnvironment("QUOTED", "\"D:\\lib\\a.jar\"");
  fake::setEnvironment("LIST", "a.jar;b.jar;");
  fake::setEnvironment("QUOTE", "\"");
  fake::setEnvironment("EMPTY", "");
  fake::setEnvironment("NAME", "QUOTED");
  struct {
    const char* entries;
    const char* classPath;
  } cases[] = {
      {"S1lib", "C:\\inst\\lib\\x.jar;C:\\inst\\lib\\z.jar;C:\\inst\\lib\\y.zip;"},
      {"S1empty;S0nolib", ""},
      {"D1classes;D0missing", "C:\\inst\\classes;C:\\inst\\missing;"},
      {"A1lib\\x.jar;A0lib\\\\gone.jar;A1E:\\abs\\a.jar",
       "C:\\inst\\lib\\x.jar;C:\\inst\\lib\\gone.jar;E:\\abs\\a.jar;"},
      {"A1${launcher:sys.launcherTempDirectory}\\here.jar", "D:\\tmp\\w1\\here.jar;"},
      {"A0a.jar;;A0b.jar;", "C:\\inst\\a.jar;C:\\inst\\b.jar;"},
      {"E1QUOTED;E1LIST;E1QUOTE", "D:\\lib\\a.jar;a.jar;b.jar;\";"},
      {"E1quoted", "D:\\lib\\a.jar;"},
      {"E0UNDEFINED;E0EMPTY", ""},
      {"E1${NAME}", "D:\\lib\\a.jar;"},
      {"X1anything;S;A;A2missing;D", "C:\\inst\\missing;"},
  };
  for (const auto& c : cases) {
    Assembly a = configuredClassPath(c.entries);
    EXPECT_FALSE(a.stopped) << c.entries << " stopped with " << a.error.id << " " << a.error.argument;
    EXPECT_EQ(a.options, Options{c.classPath}) << c.entries;
  }
}

TEST_F(VmOptions, AMissingMandatoryEntryStopsTheLauncher) {
  fake::addDirectory("C:\\inst\\empty");
  fake::setEnvironment("EMPTY", "");
  fake::setEnvironment("CP", "D:\\lib\\a.jar");
  struct {
    const char* entries;
    int id;
    const char* argument;
    const char* before;
  } cases[] = {
      {"A0ok.jar;A1lib\\x.jar;A0never.jar", kRecord_msgFileNotFound, "lib\\x.jar",
       "C:\\inst\\ok.jar;C:\\inst\\lib\\x.jar;"},
      {"D1nothere", kRecord_msgFileNotFound, "nothere", "C:\\inst\\nothere;"},
      {"S1nolib", kRecord_msgFileNotFound, "nolib", ""},
      {"A1%LANTOR_TEMPDIR%\\gone.jar", kRecord_msgFileNotFound, "D:\\tmp\\w1\\gone.jar",
       "D:\\tmp\\w1\\gone.jar;"},
      {"E1CP;E1UNDEFINED", kRecord_msgVariableUndefined, "UNDEFINED", "D:\\lib\\a.jar;"},
      {"E1EMPTY", kRecord_msgFileNotFound, "EMPTY", ""},
  };
  for (const auto& c : cases) {
    Assembly a = configuredClassPath(c.entries);
    EXPECT_TRUE(a.stopped) << c.entries;
    EXPECT_EQ(a.error.id, c.id) << c.entries;
    EXPECT_EQ(a.error.argument, c.argument) << c.entries;
    EXPECT_EQ(a.options, Options{c.before}) << c.entries;
  }
}

TEST_F(VmOptions, TheStopShowsTheConfiguredMessage) {
  fake::setConfigRecords({{kRecord_classPath, "E1CP"},
                          {kRecord_msgFileNotFound, "File or directory {0} not found or empty\n"},
                          {kRecord_msgVariableUndefined, "The environment variable {0} has to be defined"}});
  Assembly a = assemble({"-Dp"});
  EXPECT_EQ(a.error.id, kRecord_msgVariableUndefined);
  EXPECT_EQ(a.options, Options{"-Dp"});
  fake::setEnvironment("CP", "");
  a = assemble();
  EXPECT_EQ(a.error.id, kRecord_msgFileNotFound);
  EXPECT_EQ(shown, (std::vector<std::string>{"The environment variable CP has to be defined",
                                              "File or directory CP not found or empty\n"}));
}

TEST_F(VmOptions, TheClassPathOptionIsCutAtItsBuffer) {
  std::string expected = "-Djava.class.path=";
  for (int i = 0; i < 200; ++i) {
    std::string name = std::string(150, 'n') + std::to_string(i) + ".jar";
    fake::addFile("D:\\tmp\\w1\\" + name);
    expected += "D:\\tmp\\w1\\" + name + ";";
  }
  fake::setConfigRecords({{kRecord_classPath, "A0more.jar"}});
  writeFile("C:\\inst\\setup.vmoptions", "-classpath/a s.jar\n");
  Assembly a = assemble();
  ASSERT_EQ(a.options.size(), 1u);
  EXPECT_EQ(a.options[0], expected.substr(0, kClassPathCapacity - 1));

  std::vector<char> small(40, '#');
  ClassPathOverrides overrides = {};
  copyText(overrides.suffix, sizeof overrides.suffix, "suffix.jar");
  Failure failure;
  EXPECT_TRUE(buildClassPathOption(sourceOf(nullptr, &failure), overrides, small.data(), 32));
  EXPECT_STREQ(small.data(), expected.substr(0, 31).c_str());
  EXPECT_EQ(std::string(small.begin() + 32, small.end()), std::string(8, '#'));
}

}  // namespace
