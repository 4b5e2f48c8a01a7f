// The registry search against keys written here and runtime trees of the
// test runtime's java.exe, under Wine. A 32-bit test sees the 32-bit view
// of HKLM, as the 32-bit launcher does.
#include <windows.h>
#include <stdio.h>
#include <string>

#include "check.h"
#include "test_files.h"
#include "launch/registry_search.h"
#include "core/log.h"

static std::string root;
static std::string testJava;
const char kJre[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char kJdk[] = "SOFTWARE\\JavaSoft\\Java Development Kit";
const char kLocated[] = "SOFTWARE\\orlinde\\lantor\\locatedjvms";

// A runtime home whose java.exe answers with the version given; a JDK's
// has lib\\tools.jar and its java.exe in jre\\bin.
static std::string home(const std::string& name, const std::string& version, bool jdk = false) {
  std::string dir = root + name;
  std::string bin = dir + (jdk ? "\\jre\\bin" : "\\bin");
  CreateDirectoryA(dir.c_str(), nullptr);
  CreateDirectoryA((dir + "\\jre").c_str(), nullptr);
  CreateDirectoryA(bin.c_str(), nullptr);
  CopyFileA(testJava.c_str(), (bin + "\\java.exe").c_str(), FALSE);
  FILE* f = fopen((bin + "\\scenario.txt").c_str(), "w");
  fprintf(f, "banner=java version \"%s\"\\n\n", version.c_str());
  fclose(f);
  if (jdk) {
    CreateDirectoryA((dir + "\\lib").c_str(), nullptr);
    write(dir + "\\lib\\tools.jar", "");
  }
  return dir;
}

static void setValue(HKEY rootKey, const std::string& key, const char* name, const std::string& value,
                     DWORD type = REG_SZ) {
  HKEY h;
  RegCreateKeyExA(rootKey, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
  RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(h);
}

static void installed(const char* key, const std::string& version, const std::string& javaHome) {
  setValue(HKEY_LOCAL_MACHINE, std::string(key) + "\\" + version, "JavaHome", javaHome);
}

static void located(HKEY rootKey, const std::string& javaExe) {
  std::string name = javaExe;
  for (char& c : name)
    if (c == '\\') c = '/';
  HKEY h;
  RegCreateKeyExA(rootKey, (std::string(kLocated) + "\\" + name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  &h, nullptr);
  RegCloseKey(h);
}

static void clean() {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\JavaSoft");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kLocated);
  RegDeleteTreeA(HKEY_CURRENT_USER, kLocated);
  installRecords({});
}

static std::string found(const char* min = "", const char* max = "") {
  Text javaExe = "";
  return testJvmRegistry(testContext(), javaExe, min, max) ? lower(javaExe) : "none";
}

static std::string exe(const std::string& homeDir) { return lower(homeDir + "\\bin\\java.exe"); }

int main(int, char** argv) {
  testJava = testRuntimeDirectory(argv[0]) + "java.exe";
  root = freshScratch("registry search");
  logMessage("start");
  std::string h15 = home("h15", "1.5.0_11"), h16 = home("h16", "1.6.0_02"), h1613 = home("h1613", "1.6.0_13");
  std::string h1614 = home("h1614", "1.6.0_14"), early = home("early", "1.7.0-ea");

  // CurrentVersion of both keys tie: the JRE's home is tried.
  clean();
  setValue(HKEY_LOCAL_MACHINE, kJre, "CurrentVersion", "1.6");
  setValue(HKEY_LOCAL_MACHINE, kJdk, "CurrentVersion", "1.6");
  installed(kJre, "1.6", h16);
  installed(kJdk, "1.6", h1613);
  CHECK(found() == exe(h16));

  // A JDK CurrentVersion below the minimum and no JRE key: the scan tries
  // the greatest names first, and passes over a home without java.exe.
  clean();
  setValue(HKEY_LOCAL_MACHINE, kJdk, "CurrentVersion", "1.4");
  installed(kJdk, "1.5.0_11", h15);
  installed(kJdk, "1.6", h16);
  installed(kJdk, "1.6.0_13", root + "gone");
  CHECK(found("1.5") == exe(h16));

  // Record 131: the JRE key is never read, a JDK home needs lib\tools.jar.
  clean();
  installRecords({{131, "1"}});
  installed(kJre, "1.6.0_14", h1614);
  installed(kJdk, "1.6.0_13", h1613);
  installed(kJdk, "1.5.0_11", home("jdk15", "1.5.0_11", true));
  CHECK(found() == lower(root + "jdk15\\jre\\bin\\java.exe"));

  // The same version located under HKCU and HKLM: the machine's entry.
  clean();
  std::string copy = home("h1613b", "1.6.0_13");
  located(HKEY_CURRENT_USER, exe(copy));
  located(HKEY_LOCAL_MACHINE, exe(h1613));
  CHECK(found() == exe(h1613));

  // Installed and located of one version: the located one; a higher
  // installed one wins.
  clean();
  installed(kJre, "1.6.0_13", copy);
  located(HKEY_CURRENT_USER, exe(h1613));
  CHECK(found() == exe(h1613));
  installed(kJre, "1.6.0_14", h1614);
  CHECK(found() == exe(h1614));

  // A pre-release qualifies as a located runtime, not as an installed one.
  clean();
  installed(kJre, "1.7.0-ea", early);
  CHECK(found() == "none");
  located(HKEY_CURRENT_USER, exe(early));
  CHECK(found() == exe(early));

  // A CurrentVersion of another type, and an empty one, name no version key:
  // the JavaHome of the JavaSoft key itself is never taken.
  clean();
  setValue(HKEY_LOCAL_MACHINE, kJre, "CurrentVersion", "1.6", REG_EXPAND_SZ);
  setValue(HKEY_LOCAL_MACHINE, kJre, "JavaHome", h1614);
  installed(kJre, "1.6", h16);
  Text javaExe;
  Text version;
  CHECK(!installedCurrentVersion(testContext(), javaExe, version, "", ""));
  setValue(HKEY_LOCAL_MACHINE, kJre, "CurrentVersion", "");
  CHECK(!installedCurrentVersion(testContext(), javaExe, version, "", ""));
  CHECK(found() == exe(h16));

  // A pick is remembered under HKLM as the user picked it.
  clean();
  registerLocatedJvm((h16 + "\\bin\\java.exe").c_str());
  std::string key = std::string(kLocated) + "\\" + h16 + "\\bin\\java.exe";
  for (size_t i = strlen(kLocated) + 1; i < key.size(); ++i)
    if (key[i] == '\\') key[i] = '/';
  HKEY h;
  CHECK(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS);
  RegCloseKey(h);
  CHECK(found() == exe(h16));
  clean();
  return checkSummary("registry_search_tests");
}
