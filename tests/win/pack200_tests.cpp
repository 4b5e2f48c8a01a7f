// Expanding a packed runtime with the test runtime's unpack200.exe, in
// runtime directories laid out here, under Wine.
#include <windows.h>
#include <stdio.h>
#include <string>

#include "check.h"
#include "test_files.h"
#include "core/log.h"
#include "core/configuration.h"
#include "launch/pack200.h"
#include "ui/launch_end.h"

static std::string root;
static std::string testUnpack;

static bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

static const char* const kJars[] = {"lib\\rt.jar",     "lib\\charsets.jar",        "lib\\plugin.jar",
                                    "lib\\deploy.jar", "lib\\ext\\localedata.jar", "lib\\jsse.jar"};

// A runtime directory whose jars are packed, the tool in bin\.
static std::string packedRuntime(const std::string& name, bool withPlugin = true, bool withTool = true) {
  std::string d = root + name;
  for (const char* jar : kJars)
    if (withPlugin || std::string(jar) != "lib\\plugin.jar") write(d + "\\" + jar + ".pack", std::string("bytes of ") + jar);
  if (withTool) {
    write(d + "\\bin\\scenario.txt", "report=unpack.jsonl\n");
    CopyFileA(testUnpack.c_str(), (d + "\\bin\\unpack200.exe").c_str(), FALSE);
  }
  return d;
}

int main(int argc, char** argv) {
  char here[MAX_PATH];
  GetFullPathNameA(argv[0], sizeof here, here, nullptr);
  testUnpack = testRuntimeDirectory(argv[0]) + "unpack200.exe";
  root = scratchRoot("pack200");
  bool child = argc == 3 && strcmp(argv[1], "expand") == 0;
  if (!child) removeTree(root.substr(0, root.size() - 1));
  CreateDirectoryA(root.c_str(), nullptr);

  installRecords({{1009, "An internal error occurred (error code: {0})"}});
  LaunchContext& context = testContext();
  context.guiErrors = false;
  if (child) {
    // A failure ends the program as it ends the launcher.
    if (!expandPackedRuntime(argv[2], context.failure)) endLaunch(context, context.failure);
    return 0;
  }
  logMessage("start");
  logSince();

  // Every jar restored in order; the packed files go, through -r.
  std::string d = packedRuntime("jre one");
  CHECK(expandPackedRuntime(d.c_str(), context.failure));
  for (const char* jar : kJars) {
    CHECK(readAll(d + "\\" + jar) == std::string("bytes of ") + jar);
    CHECK(!exists(d + "\\" + jar + ".pack"));
  }
  std::string log = logSince();
  CHECK(log.find("Unpacking JRE\r\nUnpacking " + d + "\\lib\\rt.jar.pack to " + d +
                 "\\lib\\rt.jar\r\nwaiting for unpack200 to finish\r\nunpack done\r\n") != std::string::npos);
  CHECK(log.find("Unpacking JRE done\r\n") != std::string::npos);
  std::string report = readAll(d + "\\bin\\unpack.jsonl");
  CHECK(report.find("-r \\\"" ) != std::string::npos);

  // A completed directory is left alone, and so is one without rt.jar.pack.
  CHECK(expandPackedRuntime(d.c_str(), context.failure));
  CHECK(logSince().empty());
  std::string noMarker = packedRuntime("jre two");
  DeleteFileA((noMarker + "\\lib\\rt.jar.pack").c_str());
  CHECK(expandPackedRuntime(noMarker.c_str(), context.failure));
  CHECK(logSince().empty());
  CHECK(exists(noMarker + "\\lib\\charsets.jar.pack"));
  std::string done = packedRuntime("jre three");
  write(done + "\\lib\\jsse.jar", "restored");
  CHECK(expandPackedRuntime(done.c_str(), context.failure));
  CHECK(exists(done + "\\lib\\rt.jar.pack"));

  // A missing packed jar is skipped with a line; the others are restored.
  std::string partial = packedRuntime("jre four", false);
  CHECK(expandPackedRuntime(partial.c_str(), context.failure));
  CHECK(logSince().find("Unpacking " + partial + "\\lib\\plugin.jar.pack to " + partial +
                        "\\lib\\plugin.jar\r\npack path doesn't exists\r\n") != std::string::npos);
  CHECK(exists(partial + "\\lib\\jsse.jar") && !exists(partial + "\\lib\\plugin.jar"));

  // Without the tool the launcher ends with internal error 20.
  std::string noTool = packedRuntime("jre five", true, false);
  std::string errors = root + "errors.txt";
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileA(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  std::string command = "\"" + std::string(here) + "\" expand \"" + noTool + "\"";
  PROCESS_INFORMATION process = {};
  CHECK(CreateProcessA(here, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process));
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(output);
  CHECK(code == 1);
  CHECK(readAll(errors).find("An internal error occurred (error code: 20)") != std::string::npos);
  return checkSummary("pack200_tests");
}
