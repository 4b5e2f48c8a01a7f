// The test runtime itself: jvm.dll driven in process the way the launcher
// drives it, and java.exe and unpack200.exe started as the launcher starts
// them, each case checked against the exact report lines. Later launcher
// tests rely on these doubles, so their reports must be right first.
#include <windows.h>
#include <jni.h>
#include <stdio.h>
#include <string.h>

#include "check.h"

namespace {

char runtimeDirectory[MAX_PATH];
char workDirectory[MAX_PATH];
char scenarioFile[MAX_PATH];
char reportFile[MAX_PATH];
char ownPath[MAX_PATH];
char reportText[1 << 16];

using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);
CreateJavaVm createJavaVm = nullptr;

void join(char* out, const char* directory, const char* name) {
  snprintf(out, MAX_PATH, "%s%s", directory, name);
}

void writeFile(const char* path, const char* data, DWORD length) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, data, length, &written, nullptr);
  CloseHandle(file);
}

// The whole file as text; a missing file reads as "<missing>".
const char* readFile(const char* path, char* buffer, DWORD size) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  DWORD read = 0;
  ReadFile(file, buffer, size - 1, &read, nullptr);
  buffer[read] = 0;
  CloseHandle(file);
  return buffer;
}

// Every case writes its scenario with a report path relative to it and
// starts from an empty report.
void useScenario(const char* text) {
  char content[4096];
  int length = snprintf(content, sizeof content, "# runtime_tests\r\nreport=report.jsonl\r\n%s\n", text);
  writeFile(scenarioFile, content, static_cast<DWORD>(length));
  DeleteFileA(reportFile);
}

// The report's lines against a null-terminated list.
void checkReport(const char* const* expected, int line) {
  char* text = const_cast<char*>(readFile(reportFile, reportText, sizeof reportText));
  int index = 0;
  for (char* next = text; *next; ++index) {
    char* end = strchr(next, '\n');
    if (end) *end = 0;
    char what[32];
    snprintf(what, sizeof what, "report line %d", index + 1);
    checkText(what, next, expected[index] ? expected[index] : "<no more lines>", line);
    if (!expected[index]) return;
    next = end ? end + 1 : next + strlen(next);
  }
  checkText("report ends before", "<no more lines>", expected[index] ? expected[index] : "<no more lines>", line);
}

#define CHECK_REPORT(...)                                   \
  do {                                                      \
    static const char* const expected[] = {__VA_ARGS__, nullptr}; \
    checkReport(expected, __LINE__);                        \
  } while (0)

// The last report line, for cases that only care how a process ended.
const char* lastReportLine() {
  char* text = const_cast<char*>(readFile(reportFile, reportText, sizeof reportText));
  size_t length = strlen(text);
  if (length > 0 && text[length - 1] == '\n') text[--length] = 0;
  char* last = strrchr(text, '\n');
  return last ? last + 1 : text;
}

// JSON string content for an ASCII path: backslashes and quotes escaped.
void jsonEscape(char* out, const char* text) {
  for (; *text; ++text) {
    if (*text == '\\' || *text == '"') *out++ = '\\';
    *out++ = *text;
  }
  *out = 0;
}

#define CREATE_LINES                                                                             \
  R"({"event":"JNI_CreateJavaVM","version":"0x00010002","ignoreUnrecognized":false,"nOptions":1})", \
      R"({"event":"option","index":0,"optionString":"-Xmx64m","extraInfo":false})"
#define CREATED CREATE_LINES, R"({"event":"created","result":0})"
#define FIRST_RUN_FOUND                                                         \
  R"({"event":"FindClass","name":"com/quarrow/runtime/FirstRun","found":true})", \
      R"({"event":"GetStaticMethodID","class":"com/quarrow/runtime/FirstRun","name":"firstRun","signature":"()Z","found":true})", \
      R"({"event":"CallStaticBooleanMethodV","class":"com/quarrow/runtime/FirstRun","method":"firstRun"})"
#define MAIN_FOUND                                                               \
  R"({"event":"FindClass","name":"com/lantor/runtime/WinLauncher","found":true})", \
      R"({"event":"GetStaticMethodID","class":"com/lantor/runtime/WinLauncher","name":"main","signature":"([Ljava/lang/String;)V","found":true})"
#define MAIN_CALLED                                                                                          \
  MAIN_FOUND, R"({"event":"FindClass","name":"java/lang/String","found":true})",                             \
      R"({"event":"NewObjectArray","length":1,"elementClass":"java/lang/String","initial":null})",            \
      R"({"event":"NewString","value":"x"})", R"({"event":"SetObjectArrayElement","index":0,"value":"x"})", \
      R"({"event":"CallStaticVoidMethodV","class":"com/lantor/runtime/WinLauncher","method":"main","args":["x"]})"

struct Argument {
  const jchar* units;
  jsize length;
};

// The launcher's own sequence: create, the first-run hook when asked for,
// then main with the arguments, then destruction. Stops where the launcher
// would stop.
void launch(JavaVMOption* options, jint optionCount, const Argument* arguments, jsize argumentCount,
            bool firstRun) {
  JavaVMInitArgs initArgs = {};
  initArgs.version = JNI_VERSION_1_2;
  initArgs.nOptions = optionCount;
  initArgs.options = options;
  initArgs.ignoreUnrecognized = JNI_FALSE;
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  if (createJavaVm(&vm, reinterpret_cast<void**>(&env), &initArgs) != JNI_OK) return;
  if (firstRun) {
    jclass firstRunClass = env->FindClass("com/quarrow/runtime/FirstRun");
    if (!firstRunClass) return;
    jmethodID method = env->GetStaticMethodID(firstRunClass, "firstRun", "()Z");
    if (!method) return;
    jboolean goOn = env->CallStaticBooleanMethod(firstRunClass, method);
    if (env->ExceptionOccurred()) {
      env->ExceptionDescribe();
      goOn = JNI_FALSE;
    }
    if (!goOn) {
      vm->DestroyJavaVM();
      return;
    }
  }
  jclass launcherClass = env->FindClass("com/lantor/runtime/WinLauncher");
  if (!launcherClass) return;
  jmethodID main = env->GetStaticMethodID(launcherClass, "main", "([Ljava/lang/String;)V");
  if (!main) return;
  jobjectArray array = env->NewObjectArray(argumentCount, env->FindClass("java/lang/String"), nullptr);
  for (jsize i = 0; i < argumentCount; ++i)
    env->SetObjectArrayElement(array, i, env->NewString(arguments[i].units, arguments[i].length));
  env->CallStaticVoidMethod(launcherClass, main, array);
  if (env->ExceptionOccurred()) {
    env->ExceptionDescribe();
    return;
  }
  vm->DestroyJavaVM();
}

JavaVMOption plainOptions[] = {{const_cast<char*>("-Xmx64m"), nullptr}};
const jchar xUnits[] = {'x'};
const Argument plainArguments[] = {{xUnits, 1}};

void launchPlain(bool firstRun) {
  launch(plainOptions, 1, plainArguments, 1, firstRun);
}

void JNICALL exitHook(jint code) {
  // Its own mark on the exit code shows that the hook ended the process.
  ExitProcess(static_cast<UINT>(code) + 100);
}

void testFullLaunch() {
  useScenario("");
  static const jchar cyrillic[] = {0x0416, 0x0443, 0x043A};
  static const jchar mixed[] = {0x4E2D, 0x6587, ' ', '"', 'q', '"', ' ', '\\'};
  static const jchar unusual[] = {0xD83D, 0xDE00, '\t'};
  const Argument arguments[] = {{cyrillic, 3}, {mixed, 8}, {unusual, 3}, {nullptr, 0}};
  JavaVMOption options[] = {
      {const_cast<char*>("-Xmx64m"), nullptr},
      {const_cast<char*>("-Dlantor.tempDir=C:\\T\xE9mp\\\x92"), nullptr},
      {const_cast<char*>("exit"), reinterpret_cast<void*>(&exitHook)},
  };
  launch(options, 3, arguments, 4, true);
  CHECK_REPORT(
      R"({"event":"JNI_CreateJavaVM","version":"0x00010002","ignoreUnrecognized":false,"nOptions":3})",
      R"({"event":"option","index":0,"optionString":"-Xmx64m","extraInfo":false})",
      R"({"event":"option","index":1,"optionString":"-Dlantor.tempDir=C:\\T\u00e9mp\\\u0092","extraInfo":false})",
      R"({"event":"option","index":2,"optionString":"exit","extraInfo":true})",
      R"({"event":"created","result":0})", FIRST_RUN_FOUND, R"({"event":"return","method":"firstRun","value":true})",
      R"({"event":"ExceptionOccurred","result":null})", MAIN_FOUND,
      R"({"event":"FindClass","name":"java/lang/String","found":true})",
      R"({"event":"NewObjectArray","length":4,"elementClass":"java/lang/String","initial":null})",
      R"({"event":"NewString","value":"\u0416\u0443\u043a"})",
      R"({"event":"SetObjectArrayElement","index":0,"value":"\u0416\u0443\u043a"})",
      R"({"event":"NewString","value":"\u4e2d\u6587 \"q\" \\"})",
      R"({"event":"SetObjectArrayElement","index":1,"value":"\u4e2d\u6587 \"q\" \\"})",
      R"({"event":"NewString","value":"\ud83d\ude00\u0009"})",
      R"({"event":"SetObjectArrayElement","index":2,"value":"\ud83d\ude00\u0009"})",
      R"({"event":"NewString","value":""})", R"({"event":"SetObjectArrayElement","index":3,"value":""})",
      R"({"event":"CallStaticVoidMethodV","class":"com/lantor/runtime/WinLauncher","method":"main","args":["\u0416\u0443\u043a","\u4e2d\u6587 \"q\" \\","\ud83d\ude00\u0009",""]})",
      R"({"event":"return","method":"main"})", R"({"event":"ExceptionOccurred","result":null})",
      R"({"event":"DestroyJavaVM"})");
}

void testScenarios() {
  struct Case {
    const char* scenario;
    bool firstRun;
    const char* expected[20];
  } cases[] = {
      {"create=fail", false, {CREATE_LINES, R"({"event":"created","result":-1})"}},
      {"create=fail\ncreateResult=-6", false, {CREATE_LINES, R"({"event":"created","result":-6})"}},
      {"launcherClass=absent",
       false,
       {CREATED, R"({"event":"FindClass","name":"com/lantor/runtime/WinLauncher","found":false})",
        R"({"event":"throw","exception":"java/lang/NoClassDefFoundError: com/lantor/runtime/WinLauncher"})"}},
      {"mainMethod=absent",
       false,
       {CREATED, R"({"event":"FindClass","name":"com/lantor/runtime/WinLauncher","found":true})",
        R"({"event":"GetStaticMethodID","class":"com/lantor/runtime/WinLauncher","name":"main","signature":"([Ljava/lang/String;)V","found":false})",
        R"({"event":"throw","exception":"java/lang/NoSuchMethodError: main"})"}},
      {"main=throw",
       false,
       {CREATED, MAIN_CALLED, R"({"event":"throw","exception":"java/lang/RuntimeException: main=throw"})",
        R"({"event":"ExceptionOccurred","result":{"throwable":"java/lang/RuntimeException: main=throw"}})",
        R"({"event":"ExceptionDescribe","exception":{"throwable":"java/lang/RuntimeException: main=throw"}})"}},
      {"firstRunClass=absent",
       true,
       {CREATED, R"({"event":"FindClass","name":"com/quarrow/runtime/FirstRun","found":false})",
        R"({"event":"throw","exception":"java/lang/NoClassDefFoundError: com/quarrow/runtime/FirstRun"})"}},
      {"firstRunMethod=absent",
       true,
       {CREATED, R"({"event":"FindClass","name":"com/quarrow/runtime/FirstRun","found":true})",
        R"({"event":"GetStaticMethodID","class":"com/quarrow/runtime/FirstRun","name":"firstRun","signature":"()Z","found":false})",
        R"({"event":"throw","exception":"java/lang/NoSuchMethodError: firstRun"})"}},
      {"firstRun=false",
       true,
       {CREATED, FIRST_RUN_FOUND, R"({"event":"return","method":"firstRun","value":false})",
        R"({"event":"ExceptionOccurred","result":null})", R"({"event":"DestroyJavaVM"})"}},
      {"firstRun=throw",
       true,
       {CREATED, FIRST_RUN_FOUND, R"({"event":"throw","exception":"java/lang/RuntimeException: firstRun=throw"})",
        R"({"event":"ExceptionOccurred","result":{"throwable":"java/lang/RuntimeException: firstRun=throw"}})",
        R"({"event":"ExceptionDescribe","exception":{"throwable":"java/lang/RuntimeException: firstRun=throw"}})",
        R"({"event":"DestroyJavaVM"})"}},
  };
  for (const Case& c : cases) {
    useScenario(c.scenario);
    launchPlain(c.firstRun);
    checkReport(c.expected, __LINE__);
  }
}

// jni.h's C++ wrappers reach the V forms; C callers use the others.
void testCallForms() {
  useScenario("");
  JavaVMInitArgs initArgs = {};
  initArgs.version = JNI_VERSION_1_2;
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  createJavaVm(&vm, reinterpret_cast<void**>(&env), &initArgs);
  const JNINativeInterface_* f = env->functions;
  jclass firstRunClass = f->FindClass(env, "com/quarrow/runtime/FirstRun");
  jmethodID firstRun = f->GetStaticMethodID(env, firstRunClass, "firstRun", "()Z");
  CHECK(f->CallStaticBooleanMethod(env, firstRunClass, firstRun) == JNI_TRUE);
  CHECK(f->CallStaticBooleanMethodA(env, firstRunClass, firstRun, nullptr) == JNI_TRUE);
  jclass launcherClass = f->FindClass(env, "com/lantor/runtime/WinLauncher");
  jmethodID main = f->GetStaticMethodID(env, launcherClass, "main", "([Ljava/lang/String;)V");
  jobjectArray array = f->NewObjectArray(env, 1, nullptr, f->NewStringUTF(env, "\xD0\x96\xED\xA0\xBD\xED\xB8\x80"));
  f->CallStaticVoidMethod(env, launcherClass, main, array);
  jvalue argument;
  argument.l = array;
  f->CallStaticVoidMethodA(env, launcherClass, main, &argument);
  CHECK(!f->ExceptionCheck(env));
  CHECK(f->GetVersion(env) == JNI_VERSION_1_8);
  void* attached = nullptr;
  CHECK(vm->functions->GetEnv(vm, &attached, JNI_VERSION_1_2) == JNI_OK && attached == env);
  CHECK(vm->functions->AttachCurrentThread(vm, &attached, nullptr) == JNI_OK && attached == env);
  CHECK(vm->functions->DetachCurrentThread(vm) == JNI_OK);
  f->DeleteLocalRef(env, array);
  CHECK_REPORT(R"({"event":"JNI_CreateJavaVM","version":"0x00010002","ignoreUnrecognized":false,"nOptions":0})",
               R"({"event":"created","result":0})",
               R"({"event":"FindClass","name":"com/quarrow/runtime/FirstRun","found":true})",
               R"({"event":"GetStaticMethodID","class":"com/quarrow/runtime/FirstRun","name":"firstRun","signature":"()Z","found":true})",
               R"({"event":"CallStaticBooleanMethod","class":"com/quarrow/runtime/FirstRun","method":"firstRun"})",
               R"({"event":"return","method":"firstRun","value":true})",
               R"({"event":"CallStaticBooleanMethodA","class":"com/quarrow/runtime/FirstRun","method":"firstRun"})",
               R"({"event":"return","method":"firstRun","value":true})", MAIN_FOUND,
               R"({"event":"NewStringUTF","value":"\u0416\ud83d\ude00"})",
               R"({"event":"NewObjectArray","length":1,"elementClass":null,"initial":"\u0416\ud83d\ude00"})",
               R"({"event":"CallStaticVoidMethod","class":"com/lantor/runtime/WinLauncher","method":"main","args":["\u0416\ud83d\ude00"]})",
               R"({"event":"return","method":"main"})",
               R"({"event":"CallStaticVoidMethodA","class":"com/lantor/runtime/WinLauncher","method":"main","args":["\u0416\ud83d\ude00"]})",
               R"({"event":"return","method":"main"})", R"({"event":"ExceptionCheck","result":false})",
               R"({"event":"GetVersion"})", R"({"event":"GetEnv","version":"0x00010002"})",
               R"({"event":"AttachCurrentThread"})", R"({"event":"DetachCurrentThread"})",
               R"({"event":"DeleteLocalRef","object":{"array":null,"length":1}})");
}

const wchar_t windowTitle[] = L"\x041c\x0430\x0441\x0442\x0435\x0440 \x5b89\x88c5";
bool windowSeen = false;

DWORD WINAPI watchForWindow(void*) {
  for (int i = 0; i < 400 && !windowSeen; ++i) {
    HWND window = FindWindowW(L"LantorTestRuntimeWindow", windowTitle);
    windowSeen = window && IsWindowVisible(window);
    Sleep(10);
  }
  return 0;
}

// Windows need a display; without one the runtime must say that it showed
// none and main goes on.
void testWindow() {
  HWND probe = CreateWindowExW(0, L"STATIC", L"probe", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  bool display = probe != nullptr;
  if (probe) DestroyWindow(probe);
  useScenario("window=show\nwindowTitle=\xD0\x9C\xD0\xB0\xD1\x81\xD1\x82\xD0\xB5\xD1\x80 \xE5\xAE\x89\xE8\xA3\x85\nwindowSeconds=1");
  HANDLE watcher = CreateThread(nullptr, 0, watchForWindow, nullptr, 0, nullptr);
  launchPlain(false);
  WaitForSingleObject(watcher, INFINITE);
  CloseHandle(watcher);
  CHECK(windowSeen == display);
  if (display)
    CHECK_REPORT(CREATED, MAIN_CALLED,
                 R"({"event":"window","title":"\u041c\u0430\u0441\u0442\u0435\u0440 \u5b89\u88c5","shown":true})",
                 R"({"event":"windowClosed"})", R"({"event":"return","method":"main"})",
                 R"({"event":"ExceptionOccurred","result":null})", R"({"event":"DestroyJavaVM"})");
  else
    CHECK_REPORT(CREATED, MAIN_CALLED,
                 R"({"event":"window","title":"\u041c\u0430\u0441\u0442\u0435\u0440 \u5b89\u88c5","shown":false})",
                 R"({"event":"return","method":"main"})", R"({"event":"ExceptionOccurred","result":null})",
                 R"({"event":"DestroyJavaVM"})");
  printf("runtime_tests: window case %s a display\n", display ? "with" : "without");
}

void testWaits() {
  useScenario("mainSeconds=1\ndestroySeconds=1");
  DWORD start = GetTickCount();
  launchPlain(false);
  DWORD elapsed = GetTickCount() - start;
  CHECK(elapsed >= 1900 && elapsed < 5000);
  CHECK_REPORT(CREATED, MAIN_CALLED, R"({"event":"return","method":"main"})",
               R"({"event":"ExceptionOccurred","result":null})", R"({"event":"DestroyJavaVM"})");
}

// Cases that end the process run in a child copy of this program.
int runChild(const char* mode) {
  JavaVMOption options[] = {{const_cast<char*>("exit"), reinterpret_cast<void*>(&exitHook)}};
  JavaVMInitArgs initArgs = {};
  initArgs.version = JNI_VERSION_1_2;
  initArgs.nOptions = strcmp(mode, "hook") == 0 ? 1 : 0;
  initArgs.options = options;
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  createJavaVm(&vm, reinterpret_cast<void**>(&env), &initArgs);
  jclass launcherClass = env->FindClass("com/lantor/runtime/WinLauncher");
  if (strcmp(mode, "envSlot") == 0) env->GetSuperclass(launcherClass);
  if (strcmp(mode, "vmSlot") == 0) {
    void* attached = nullptr;
    vm->AttachCurrentThreadAsDaemon(&attached, nullptr);
  }
  jmethodID main = env->GetStaticMethodID(launcherClass, "main", "([Ljava/lang/String;)V");
  env->CallStaticVoidMethod(launcherClass, main, env->NewObjectArray(0, env->FindClass("java/lang/String"), nullptr));
  return 0;
}

// Runs a command line as the launcher runs its runtime tools: no window, no
// standard input or output, the error stream into a file.
DWORD runProcess(const char* commandLine, char* errorText, DWORD errorSize, DWORD* elapsed) {
  char errorFile[MAX_PATH];
  join(errorFile, workDirectory, "stderr.txt");
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE error = CreateFileA(errorFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdError = error;
  PROCESS_INFORMATION process = {};
  char command[4096];
  snprintf(command, sizeof command, "%s", commandLine);
  DWORD start = GetTickCount();
  DWORD code = 0xDEAD;
  if (CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                     &process)) {
    WaitForSingleObject(process.hProcess, 30000);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  *elapsed = GetTickCount() - start;
  CloseHandle(error);
  readFile(errorFile, errorText, errorSize);
  return code;
}

void testEndingInMain() {
  struct Case {
    const char* mode;
    const char* scenario;
    DWORD exitCode;
    const char* lastLine;
  } cases[] = {
      {"hook", "main=exit\nmainExit=7", 107, R"({"event":"exit","code":7,"hook":true})"},
      {"none", "main=exit\nmainExit=7", 7, R"({"event":"exit","code":7,"hook":false})"},
      {"none", "main=exit", 0, R"({"event":"exit","code":0,"hook":false})"},
      {"envSlot", "", 99, R"({"event":"unimplemented","table":"JNIEnv","slot":10})"},
      {"vmSlot", "", 99, R"({"event":"unimplemented","table":"JavaVM","slot":7})"},
  };
  for (const Case& c : cases) {
    useScenario(c.scenario);
    char command[MAX_PATH + 32], errorText[512];
    snprintf(command, sizeof command, "\"%s\" --child %s", ownPath, c.mode);
    DWORD elapsed = 0;
    DWORD code = runProcess(command, errorText, sizeof errorText, &elapsed);
    checkTrue(c.mode, code == c.exitCode, __LINE__);
    checkText(c.mode, lastReportLine(), c.lastLine, __LINE__);
  }
}

void testJava() {
  const char defaultBanner[] =
      "java version \"1.8.0_202\"\r\nTest Runtime Environment (build 1.8.0_202-b08)\r\n"
      "Test Client VM (build 25.202-b08, mixed mode)\r\n";
  struct Case {
    const char* scenario;
    const char* tail;
    const char* errorText;
    DWORD exitCode;
    DWORD minimumMilliseconds;
  } cases[] = {
      {"", " -version", defaultBanner, 0, 0},
      {"banner=openjdk version \"17.0.2\" 2022-01-18\\nsecond\\\\line\\n\nversionExit=3", " -version",
       "openjdk version \"17.0.2\" 2022-01-18\nsecond\\line\n", 3, 0},
      {"banner=java version \"1.7.0-ea\"\\n\nversionSeconds=1", " -version", "java version \"1.7.0-ea\"\n", 0, 900},
      {"", " -fullversion", "test java.exe: only -version is supported\r\n", 99, 0},
  };
  for (const Case& c : cases) {
    useScenario(c.scenario);
    char command[MAX_PATH + 32], errorText[512];
    snprintf(command, sizeof command, "%sjava.exe%s", runtimeDirectory, c.tail);
    DWORD elapsed = 0;
    DWORD code = runProcess(command, errorText, sizeof errorText, &elapsed);
    checkText(c.scenario, errorText, c.errorText, __LINE__);
    checkTrue(c.scenario, code == c.exitCode, __LINE__);
    checkTrue(c.scenario, elapsed >= c.minimumMilliseconds, __LINE__);
    char escaped[2 * MAX_PATH + 64], expected[2 * MAX_PATH + 160];
    jsonEscape(escaped, command);
    snprintf(expected, sizeof expected, R"({"event":"commandLine","program":"java.exe","commandLine":"%s"})", escaped);
    checkText(c.scenario, lastReportLine(), expected, __LINE__);
  }
}

void testUnpack200() {
  const char packedBytes[] = "PK\3\4 packed \0\xFF bytes";
  const DWORD packedLength = sizeof packedBytes - 1;
  char lib[MAX_PATH], packed[MAX_PATH], target[MAX_PATH];
  join(lib, workDirectory, "lib");
  CreateDirectoryA(lib, nullptr);
  join(packed, workDirectory, "lib\\rt.jar.pack");
  join(target, workDirectory, "lib\\rt.jar");
  struct Case {
    const char* scenario;
    const char* option;
    DWORD exitCode;
    bool targetWritten;
    bool packedKept;
    const char* errorText;
  } cases[] = {
      {"", "-r ", 0, true, false, ""},
      {"", "", 0, true, true, ""},
      {"unpack=fail\nunpackExit=5", "-r ", 5, false, true,
       "test unpack200.exe: unpacking failed as the scenario says (unpack=fail)\r\n"},
      {"unpack=fail", "-r ", 1, false, true,
       "test unpack200.exe: unpacking failed as the scenario says (unpack=fail)\r\n"},
  };
  for (const Case& c : cases) {
    useScenario(c.scenario);
    writeFile(packed, packedBytes, packedLength);
    DeleteFileA(target);
    char command[4 * MAX_PATH], errorText[512], jar[64];
    snprintf(command, sizeof command, "%sunpack200.exe %s\"%s\" \"%s\"", runtimeDirectory, c.option, packed, target);
    DWORD elapsed = 0;
    DWORD code = runProcess(command, errorText, sizeof errorText, &elapsed);
    checkTrue(c.scenario, code == c.exitCode, __LINE__);
    checkText(c.scenario, errorText, c.errorText, __LINE__);
    checkTrue("packed file kept", (GetFileAttributesA(packed) != INVALID_FILE_ATTRIBUTES) == c.packedKept, __LINE__);
    HANDLE file = CreateFileA(target, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    checkTrue("target written", (file != INVALID_HANDLE_VALUE) == c.targetWritten, __LINE__);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD read = 0;
      ReadFile(file, jar, sizeof jar, &read, nullptr);
      CloseHandle(file);
      CHECK(read == packedLength && memcmp(jar, packedBytes, packedLength) == 0);
    }
  }
  char escapedPacked[2 * MAX_PATH], escapedTarget[2 * MAX_PATH], expected[6 * MAX_PATH];
  jsonEscape(escapedPacked, packed);
  jsonEscape(escapedTarget, target);
  snprintf(expected, sizeof expected,
           R"({"event":"unpack","packed":"%s","target":"%s","result":"fail","removedPacked":false,"exitCode":1})",
           escapedPacked, escapedTarget);
  CHECK_TEXT(lastReportLine(), expected);
}

}  // namespace

int main(int argc, char** argv) {
  GetModuleFileNameA(nullptr, ownPath, sizeof ownPath);
  lstrcpynA(runtimeDirectory, ownPath, sizeof runtimeDirectory);
  *(strrchr(runtimeDirectory, '\\') + 1) = 0;
  lstrcatA(runtimeDirectory, "runtime\\");
  GetTempPathA(sizeof workDirectory, workDirectory);
  lstrcatA(workDirectory, "runtime_tests\\");
  CreateDirectoryA(workDirectory, nullptr);
  join(scenarioFile, workDirectory, "scenario.txt");
  join(reportFile, workDirectory, "report.jsonl");
  SetEnvironmentVariableA("LANTOR_TEST_SCENARIO", scenarioFile);
  SetEnvironmentVariableA("LANTOR_TEST_REPORT", nullptr);

  char dll[MAX_PATH];
  join(dll, runtimeDirectory, "jvm.dll");
  HMODULE library = LoadLibraryA(dll);
  createJavaVm = reinterpret_cast<CreateJavaVm>(
      reinterpret_cast<void*>(library ? GetProcAddress(library, "JNI_CreateJavaVM") : nullptr));
  if (!createJavaVm) {
    printf("cannot load JNI_CreateJavaVM from %s\n", dll);
    return 1;
  }
  if (argc == 3 && strcmp(argv[1], "--child") == 0) return runChild(argv[2]);

  testFullLaunch();
  testScenarios();
  testCallForms();
  testWindow();
  testWaits();
  testEndingInMain();
  testJava();
  testUnpack200();
  return checkSummary("runtime_tests");
}
