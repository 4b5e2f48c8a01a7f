// The path operations against the real Windows file functions (under Wine).
#include <windows.h>
#include <stdlib.h>

#include "check.h"
#include "core/paths.h"
#include "platform/code_page_win.h"

static const char* normalized(const char* path) {
  static Text buffer;
  copyText(buffer, sizeof buffer, path);
  normalizePath(buffer);
  return buffer;
}

static const char* lowercased(const char* path) {
  static Text buffer;
  copyText(buffer, sizeof buffer, path);
  lowercasePath(buffer);
  return buffer;
}

static void testNormalizeAndCase() {
  CHECK_TEXT(normalized("c:\\a\\\\b\\\\\\\\c"), "c:\\a\\b\\c");
  CHECK_TEXT(normalized("\\\\\\\\host\\\\share"), "\\\\host\\share");
  CHECK_TEXT(normalized("\\\\host\\share"), "\\\\host\\share");
  CHECK_TEXT(normalized(""), "");
  CHECK_TEXT(lowercased("C:\\Program Files\\JRE"), "c:\\program files\\jre");
}

static void testRelative() {
  struct Case {
    const char* path;
    bool relative;
  } cases[] = {
      {"c:\\x", false},        {"\"c:\\x\"", false},     {"\\\\host\\share", false},
      {"\"\\\\host\\s\"", false}, {"jre", true},         {"..\\jre", true},
      {"\\jre", true},         {"c:jre", true},         {"ab", true},
      {"\"c:\"", true},        {"", true},
  };
  for (const Case& c : cases) {
    if (isRelativePath(c.path) != c.relative) printf("isRelativePath(%s)\n", c.path);
    CHECK(isRelativePath(c.path) == c.relative);
  }
}

static void testResolve(const char* directory) {
  Text expected;
  copyText(expected, sizeof expected, directory);
  appendText(expected, sizeof expected, "jre");
  Text buffer;
  resolvePath(buffer, "jre");
  CHECK_TEXT(buffer, expected);
  resolvePath(buffer, "c:\\windows\\\\system32");
  CHECK_TEXT(buffer, "c:\\windows\\system32");
  resolvePath(buffer, "");
  CHECK_TEXT(buffer, directory);

  Text list;
  resolvePathList(list, "a;;b;");
  Text wanted;
  copyText(wanted, sizeof wanted, directory);
  appendText(wanted, sizeof wanted, "a;");
  appendText(wanted, sizeof wanted, directory);
  appendText(wanted, sizeof wanted, "b");
  CHECK_TEXT(list, wanted);

  fullPath(buffer, "C:\\Windows\\System32\\..\\Temp", false);
  CHECK_TEXT(buffer, "c:\\windows\\temp");
  fullPath(buffer, "C:\\Windows\\System32\\..\\Temp", true);
  CHECK_TEXT(buffer, "C:\\Windows\\Temp");
}

static void testExistence(const char* directory) {
  CHECK(pathExists("c:\\"));
  CHECK(pathExists("q:\\."));
  CHECK(pathExists("q:\\.\\."));
  CHECK(!pathExists("q:\\.."));
  CHECK(!pathExists("c:\\no such file here"));
  CHECK(!pathExists(""));
  CHECK(!pathExists("c:\\no such file here\\"));
  // The launcher directory is always written with its closing backslash.
  CHECK(pathExists(directory));
  Text closed;
  copyText(closed, sizeof closed, directory);
  appendText(closed, sizeof closed, "\\\\");
  CHECK(pathExists(closed));

  Text scratch;
  copyText(scratch, sizeof scratch, directory);
  appendText(scratch, sizeof scratch, "path_tests_scratch");
  CreateDirectoryA(scratch, nullptr);
  const char* names[] = {"\\one.jar", "\\two.jar", "\\three.zip"};
  for (const char* name : names) {
    Text file;
    copyText(file, sizeof file, scratch);
    appendText(file, sizeof file, name);
    HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
  }
  Text pattern;
  copyText(pattern, sizeof pattern, scratch);
  appendText(pattern, sizeof pattern, "\\*.zip");
  CHECK(pathExists(pattern));
  uint64_t written = 0;
  CHECK(findFile(pattern, &written));
  CHECK(written != 0);

  GrowableList<char*> jars = listFiles(scratch, "jar");
  GrowableList<char*> dotJars = listFiles(scratch, ".jar");
  CHECK(jars.count == 2);
  CHECK(dotJars.count == 2);
  CHECK(jars.count == 2 && dotJars.count == 2 && strcmp(jars.items[0], dotJars.items[0]) == 0 &&
        strcmp(jars.items[1], dotJars.items[1]) == 0);
  GrowableList<char*> none = listFiles(scratch, "war");
  CHECK(none.count == 0 && none.items == nullptr);
  listReleaseOwned(jars);
  listReleaseOwned(dotJars);
  for (const char* name : names) {
    Text file;
    copyText(file, sizeof file, scratch);
    appendText(file, sizeof file, name);
    DeleteFileA(file);
  }
  RemoveDirectoryA(scratch);
}

static void testLongPath() {
  char tiny[4];
  CHECK(longPathName("c:\\windows", tiny, sizeof tiny) == 0);
  Text buffer;
  CHECK(longPathName("c:\\windows", buffer, sizeof buffer) == strlen("c:\\windows"));
  CHECK(longPathName("c:\\no such dir", buffer, sizeof buffer) == 0);
}

// UTF-8, also when it is the system's ANSI code page, takes no default
// character: the conversions must not hand it one.
static void testUtf8() {
  char narrow[64];
  CHECK(narrowFromWide(CP_UTF8, u"caf\u00e9 \u0416 \u4e2d", narrow, sizeof narrow));
  CHECK_TEXT(narrow, "caf\xc3\xa9 \xd0\x96 \xe4\xb8\xad");
  // Cut at the capacity, never inside a character.
  CHECK(narrowFromWide(CP_UTF8, u"caf\u00e9!", narrow, 5));
  CHECK_TEXT(narrow, "caf");
  char* whole = narrowCopy(CP_UTF8, u"\u0416");
  CHECK(whole && strcmp(whole, "\xd0\x96") == 0);
  free(whole);
  char16_t wide[16];
  wideFromNarrow(CP_UTF8, "\xd0\x96x", wide, 16);
  CHECK(wide[0] == u'\u0416' && wide[1] == u'x' && wide[2] == 0);
  // Another code page still reports the "?" it needed.
  CHECK(!narrowFromWide(1252, u"\u0416", narrow, sizeof narrow));
  CHECK_TEXT(narrow, "?");
}

int main() {
  testUtf8();
  Text directory;
  resolvePath(directory, "");
  CHECK(directory[0] != 0 && directory[strlen(directory) - 1] == '\\');
  CHECK(strstr(executablePath(), "path_tests.exe") != nullptr);
  testNormalizeAndCase();
  testRelative();
  testResolve(directory);
  testExistence(directory);
  testLongPath();
  return checkSummary("path_tests");
}
