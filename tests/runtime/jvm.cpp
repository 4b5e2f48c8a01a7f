// The test runtime's virtual machine library: enough of a JavaVM and a
// JNIEnv for the launcher, recording every call to the report and behaving
// as the scenario says. Each JNI_CreateJavaVM reads the scenario afresh and
// starts from a clean state, so one test process can drive several cases.
//
// Scenario keys (default first; README.md has the report lines):
//   create=ok|fail          fail: JNI_CreateJavaVM returns createResult
//   createResult=-1         the result of a failed creation
//   launcherClass=present|absent   com/lantor/runtime/WinLauncher
//   mainMethod=present|absent      its main([Ljava/lang/String;)V
//   firstRunClass=present|absent   com/quarrow/runtime/FirstRun
//   firstRunMethod=present|absent  its firstRun()Z
//   firstRun=true|false|throw      what firstRun does
//   main=return|throw|exit         exit: ends the process with mainExit,
//   mainExit=0                     through the "exit" hook when one was given
//   window=none|show        main shows a top-level window titled windowTitle
//   windowTitle=Test runtime       (UTF-8) for windowSeconds
//   windowSeconds=5
//   mainSeconds=0           main waits that long before it returns
//   destroySeconds=0        DestroyJavaVM waits that long before it returns
//   allocation=ok|arrays|strings  NewObjectArray or NewString answer null,
//                                 as a virtual machine out of memory does
//   installStarted=ignore|report|clear  main reports the launcher's
//                                 InstallStarted mark; clear also clears it,
//                                 as the Java side does once it runs
//   report=PATH             see scenario.h
// Any function-table slot the launcher is not expected to use reports its
// index and ends the process with exit code 99.
#define _JNI_IMPLEMENTATION_
#include <windows.h>
#include <jni.h>
#include <string.h>
#include <utility>

#include "report.h"
#include "scenario.h"

namespace {

enum class Kind { Class, String, Array, Throwable };

struct Object {
  Kind kind;
};

struct ClassObject {
  Object header;
  const char* name;
};

struct StringObject {
  Object header;
  jsize length;
  wchar_t* units;
};

struct ArrayObject {
  Object header;
  jsize length;
  ClassObject* elementClass;
  Object** elements;
};

struct ThrowableObject {
  Object header;
  char text[512];
};

struct Method {
  ClassObject* owner;
  const char* name;
  const char* signature;
};

ClassObject launcherClass = {{Kind::Class}, "com/lantor/runtime/WinLauncher"};
ClassObject firstRunClass = {{Kind::Class}, "com/quarrow/runtime/FirstRun"};
ClassObject stringClass = {{Kind::Class}, "java/lang/String"};
Method mainMethod = {&launcherClass, "main", "([Ljava/lang/String;)V"};
Method firstRunMethod = {&firstRunClass, "firstRun", "()Z"};

JNINativeInterface_ envTable;
JNIInvokeInterface_ vmTable;
JNIEnv env;
JavaVM vm;
ThrowableObject* pending = nullptr;
void(JNICALL* exitHook)(jint) = nullptr;

void* allocate(size_t size) {
  return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
}

Object* object(jobject reference) {
  return reinterpret_cast<Object*>(reference);
}

template <typename T>
jobject reference(T* value) {
  return reinterpret_cast<jobject>(value);
}

void writeError(const char* text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, lstrlenA(text), &written, nullptr);
}

// Class, method and string texts of JNI are modified UTF-8: up to three
// bytes per UTF-16 unit, surrogates encoded one by one.
wchar_t* decodeModifiedUtf8(const char* text, jsize* units) {
  size_t bytes = strlen(text);
  wchar_t* wide = static_cast<wchar_t*>(allocate((bytes + 1) * sizeof(wchar_t)));
  jsize count = 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p) {
    unsigned unit = *p++;
    if (unit >= 0xE0 && p[0] && p[1]) {
      unit = ((unit & 0x0F) << 12) | ((p[0] & 0x3F) << 6) | (p[1] & 0x3F);
      p += 2;
    } else if (unit >= 0xC0 && p[0]) {
      unit = ((unit & 0x1F) << 6) | (p[0] & 0x3F);
      p += 1;
    }
    wide[count++] = static_cast<wchar_t>(unit);
  }
  *units = count;
  return wide;
}

void addModifiedUtf8(ReportLine& line, const char* text) {
  if (!text) {
    addRaw(line, "null");
    return;
  }
  jsize units = 0;
  wchar_t* wide = decodeModifiedUtf8(text, &units);
  addUtf16(line, wide, units);
  HeapFree(GetProcessHeap(), 0, wide);
}

// Strings as their text, everything else as a small object naming it.
void addObject(ReportLine& line, Object* value) {
  if (!value) {
    addRaw(line, "null");
    return;
  }
  switch (value->kind) {
    case Kind::String: {
      StringObject* string = reinterpret_cast<StringObject*>(value);
      addUtf16(line, string->units, string->length);
      return;
    }
    case Kind::Class:
      addRaw(line, "{\"class\":");
      addBytes(line, reinterpret_cast<ClassObject*>(value)->name);
      addRaw(line, "}");
      return;
    case Kind::Array: {
      ArrayObject* array = reinterpret_cast<ArrayObject*>(value);
      addRaw(line, "{\"array\":");
      addBytes(line, array->elementClass ? array->elementClass->name : nullptr);
      addRaw(line, ",\"length\":");
      addNumber(line, array->length);
      addRaw(line, "}");
      return;
    }
    case Kind::Throwable:
      addRaw(line, "{\"throwable\":");
      addBytes(line, reinterpret_cast<ThrowableObject*>(value)->text);
      addRaw(line, "}");
      return;
  }
}

void addVersion(ReportLine& line, jint version) {
  char text[16];
  wsprintfA(text, "\"0x%08lx\"", static_cast<unsigned long>(version));
  addRaw(line, text);
}

void reportSimple(const char* event) {
  ReportLine line;
  beginLine(line, event);
  writeLine(line);
}

void raise(const char* className, const char* message) {
  ThrowableObject* throwable = static_cast<ThrowableObject*>(allocate(sizeof(ThrowableObject)));
  throwable->header.kind = Kind::Throwable;
  lstrcpynA(throwable->text, className, sizeof throwable->text);
  int used = lstrlenA(throwable->text);
  lstrcpynA(throwable->text + used, ": ", sizeof throwable->text - used);
  lstrcpynA(throwable->text + used + 2, message, sizeof throwable->text - used - 2);
  pending = throwable;
  ReportLine line;
  beginLine(line, "throw");
  addKey(line, "exception");
  addBytes(line, throwable->text);
  writeLine(line);
}

[[noreturn]] void exitVm(jint code) {
  ReportLine line;
  beginLine(line, "exit");
  addKey(line, "code");
  addNumber(line, code);
  addKey(line, "hook");
  addBool(line, exitHook != nullptr);
  writeLine(line);
  // The hook is meant to end the process; a virtual machine exits anyway
  // when it returns.
  if (exitHook) exitHook(code);
  ExitProcess(static_cast<UINT>(code));
}

[[noreturn]] void unimplemented(const char* table, int slot) {
  ReportLine line;
  beginLine(line, "unimplemented");
  addKey(line, "table");
  addBytes(line, table);
  addKey(line, "slot");
  addNumber(line, slot);
  writeLine(line);
  char message[128];
  wsprintfA(message, "test jvm.dll: %s function slot %d is not implemented\r\n", table, slot);
  writeError(message);
  ExitProcess(99);
}

using Slot = void(JNICALL*)();

// Never returns, so the stack the caller pushed needs no cleaning.
template <int Index>
void JNICALL unimplementedEnv() {
  unimplemented("JNIEnv", Index);
}

template <int Index>
void JNICALL unimplementedVm() {
  unimplemented("JavaVM", Index);
}

template <size_t... Index>
void fillEnvSlots(Slot* slots, std::index_sequence<Index...>) {
  ((slots[Index] = &unimplementedEnv<Index>), ...);
}

template <size_t... Index>
void fillVmSlots(Slot* slots, std::index_sequence<Index...>) {
  ((slots[Index] = &unimplementedVm<Index>), ...);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void showWindow() {
  wchar_t* title = wideText(scenarioText("windowTitle", "Test runtime"));
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"LantorTestRuntimeWindow";
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                CW_USEDEFAULT, CW_USEDEFAULT, 400, 200, nullptr, nullptr, windowClass.hInstance,
                                nullptr);
  ReportLine line;
  beginLine(line, "window");
  addKey(line, "title");
  addUtf16(line, title, lstrlenW(title));
  addKey(line, "shown");
  addBool(line, window != nullptr);
  writeLine(line);
  HeapFree(GetProcessHeap(), 0, title);
  if (!window) return;
  SetTimer(window, 1, static_cast<UINT>(scenarioNumber("windowSeconds", 5)) * 1000, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  reportSimple("windowClosed");
}

void reportReturn(const char* method, const char* value) {
  ReportLine line;
  beginLine(line, "return");
  addKey(line, "method");
  addBytes(line, method);
  if (value) {
    addKey(line, "value");
    addRaw(line, value);
  }
  writeLine(line);
}

// The launcher's mark of a launch that has not reached the Java side: what
// main finds is reported, and cleared when the scenario says so.
void handleInstallStarted() {
  if (scenarioIs("installStarted", "ignore", "ignore")) return;
  HKEY key;
  DWORD value = 0;
  bool present = false;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\orlinde\\lantor", 0, KEY_READ | KEY_SET_VALUE, &key) ==
      ERROR_SUCCESS) {
    DWORD size = sizeof value;
    DWORD type = 0;
    present = RegQueryValueExA(key, "InstallStarted", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                  ERROR_SUCCESS && type == REG_DWORD;
    if (present && scenarioIs("installStarted", "clear", "ignore")) {
      DWORD cleared = 0;
      RegSetValueExA(key, "InstallStarted", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&cleared), sizeof cleared);
    }
    RegCloseKey(key);
  }
  ReportLine line;
  beginLine(line, "installStarted");
  addKey(line, "value");
  addNumber(line, present ? static_cast<long long>(value) : -1);
  writeLine(line);
}

void runMain() {
  handleInstallStarted();
  if (scenarioIs("window", "show", "none")) showWindow();
  Sleep(static_cast<DWORD>(scenarioNumber("mainSeconds", 0)) * 1000);
  if (scenarioIs("main", "throw", "return")) {
    raise("java/lang/RuntimeException", "main=throw");
    return;
  }
  if (scenarioIs("main", "exit", "return")) exitVm(scenarioNumber("mainExit", 0));
  reportReturn("main", nullptr);
}

jboolean runFirstRun() {
  if (scenarioIs("firstRun", "throw", "true")) {
    raise("java/lang/RuntimeException", "firstRun=throw");
    return JNI_FALSE;
  }
  bool answer = !scenarioIs("firstRun", "false", "true");
  reportReturn("firstRun", answer ? "true" : "false");
  return answer ? JNI_TRUE : JNI_FALSE;
}

// One report line per static call: the class, the method and, for a
// String[] argument, its elements at the time of the call.
jboolean callStatic(const char* event, jclass clazz, jmethodID id, jobject argument) {
  Method* method = reinterpret_cast<Method*>(id);
  ReportLine line;
  beginLine(line, event);
  addKey(line, "class");
  addBytes(line, clazz ? reinterpret_cast<ClassObject*>(clazz)->name : nullptr);
  addKey(line, "method");
  addBytes(line, method ? method->name : nullptr);
  if (method == &mainMethod) {
    addKey(line, "args");
    ArrayObject* array = reinterpret_cast<ArrayObject*>(argument);
    if (!array) {
      addRaw(line, "null");
    } else {
      addRaw(line, "[");
      for (jsize i = 0; i < array->length; ++i) {
        if (i > 0) addRaw(line, ",");
        addObject(line, array->elements[i]);
      }
      addRaw(line, "]");
    }
  }
  writeLine(line);
  if (method == &mainMethod) runMain();
  if (method == &firstRunMethod) return runFirstRun();
  return JNI_FALSE;
}

jint JNICALL getVersion(JNIEnv*) {
  reportSimple("GetVersion");
  return JNI_VERSION_1_8;
}

jclass JNICALL findClass(JNIEnv*, const char* name) {
  ClassObject* found = nullptr;
  if (strcmp(name, launcherClass.name) == 0 && scenarioIs("launcherClass", "present", "present"))
    found = &launcherClass;
  if (strcmp(name, firstRunClass.name) == 0 && scenarioIs("firstRunClass", "present", "present"))
    found = &firstRunClass;
  if (strcmp(name, stringClass.name) == 0) found = &stringClass;
  ReportLine line;
  beginLine(line, "FindClass");
  addKey(line, "name");
  addModifiedUtf8(line, name);
  addKey(line, "found");
  addBool(line, found != nullptr);
  writeLine(line);
  if (!found) raise("java/lang/NoClassDefFoundError", name);
  return reinterpret_cast<jclass>(found);
}

jmethodID JNICALL getStaticMethodId(JNIEnv*, jclass clazz, const char* name, const char* signature) {
  ClassObject* owner = reinterpret_cast<ClassObject*>(clazz);
  Method* found = nullptr;
  for (Method* method : {&mainMethod, &firstRunMethod})
    if (method->owner == owner && strcmp(method->name, name) == 0 && strcmp(method->signature, signature) == 0)
      found = method;
  if (found == &mainMethod && !scenarioIs("mainMethod", "present", "present")) found = nullptr;
  if (found == &firstRunMethod && !scenarioIs("firstRunMethod", "present", "present")) found = nullptr;
  ReportLine line;
  beginLine(line, "GetStaticMethodID");
  addKey(line, "class");
  addBytes(line, owner ? owner->name : nullptr);
  addKey(line, "name");
  addModifiedUtf8(line, name);
  addKey(line, "signature");
  addModifiedUtf8(line, signature);
  addKey(line, "found");
  addBool(line, found != nullptr);
  writeLine(line);
  if (!found) raise("java/lang/NoSuchMethodError", name);
  return reinterpret_cast<jmethodID>(found);
}

void JNICALL callStaticVoidMethod(JNIEnv*, jclass clazz, jmethodID id, ...) {
  va_list arguments;
  va_start(arguments, id);
  jobject first = reinterpret_cast<Method*>(id) == &mainMethod ? va_arg(arguments, jobject) : nullptr;
  va_end(arguments);
  callStatic("CallStaticVoidMethod", clazz, id, first);
}

void JNICALL callStaticVoidMethodV(JNIEnv*, jclass clazz, jmethodID id, va_list arguments) {
  jobject first = reinterpret_cast<Method*>(id) == &mainMethod ? va_arg(arguments, jobject) : nullptr;
  callStatic("CallStaticVoidMethodV", clazz, id, first);
}

void JNICALL callStaticVoidMethodA(JNIEnv*, jclass clazz, jmethodID id, const jvalue* arguments) {
  jobject first = reinterpret_cast<Method*>(id) == &mainMethod && arguments ? arguments[0].l : nullptr;
  callStatic("CallStaticVoidMethodA", clazz, id, first);
}

jboolean JNICALL callStaticBooleanMethod(JNIEnv*, jclass clazz, jmethodID id, ...) {
  return callStatic("CallStaticBooleanMethod", clazz, id, nullptr);
}

jboolean JNICALL callStaticBooleanMethodV(JNIEnv*, jclass clazz, jmethodID id, va_list) {
  return callStatic("CallStaticBooleanMethodV", clazz, id, nullptr);
}

jboolean JNICALL callStaticBooleanMethodA(JNIEnv*, jclass clazz, jmethodID id, const jvalue*) {
  return callStatic("CallStaticBooleanMethodA", clazz, id, nullptr);
}

jthrowable JNICALL exceptionOccurred(JNIEnv*) {
  ReportLine line;
  beginLine(line, "ExceptionOccurred");
  addKey(line, "result");
  addObject(line, reinterpret_cast<Object*>(pending));
  writeLine(line);
  return reinterpret_cast<jthrowable>(pending);
}

jboolean JNICALL exceptionCheck(JNIEnv*) {
  ReportLine line;
  beginLine(line, "ExceptionCheck");
  addKey(line, "result");
  addBool(line, pending != nullptr);
  writeLine(line);
  return pending ? JNI_TRUE : JNI_FALSE;
}

// Like a virtual machine: the exception goes to the error stream in the
// dotted form and is cleared.
void JNICALL exceptionDescribe(JNIEnv*) {
  ReportLine line;
  beginLine(line, "ExceptionDescribe");
  addKey(line, "exception");
  addObject(line, reinterpret_cast<Object*>(pending));
  writeLine(line);
  if (!pending) return;
  char text[600] = "Exception in thread \"main\" ";
  int start = lstrlenA(text);
  lstrcpynA(text + start, pending->text, sizeof text - start - 2);
  for (char* p = text + start; *p && *p != ':'; ++p)
    if (*p == '/') *p = '.';
  lstrcatA(text, "\r\n");
  writeError(text);
  pending = nullptr;
}

void JNICALL exceptionClear(JNIEnv*) {
  reportSimple("ExceptionClear");
  pending = nullptr;
}

void JNICALL deleteLocalRef(JNIEnv*, jobject value) {
  ReportLine line;
  beginLine(line, "DeleteLocalRef");
  addKey(line, "object");
  addObject(line, object(value));
  writeLine(line);
}

StringObject* makeString(const wchar_t* units, jsize length) {
  StringObject* string = static_cast<StringObject*>(allocate(sizeof(StringObject)));
  string->header.kind = Kind::String;
  string->length = length;
  string->units = static_cast<wchar_t*>(allocate((length + 1) * sizeof(wchar_t)));
  memcpy(string->units, units, length * sizeof(wchar_t));
  return string;
}

jstring JNICALL newString(JNIEnv*, const jchar* units, jsize length) {
  if (scenarioIs("allocation", "strings", "ok")) {
    ReportLine refused;
    beginLine(refused, "NewString");
    addKey(refused, "value");
    addRaw(refused, "null");
    writeLine(refused);
    return nullptr;
  }
  StringObject* string = makeString(reinterpret_cast<const wchar_t*>(units), length);
  ReportLine line;
  beginLine(line, "NewString");
  addKey(line, "value");
  addObject(line, &string->header);
  writeLine(line);
  return reinterpret_cast<jstring>(string);
}

jstring JNICALL newStringUtf(JNIEnv*, const char* text) {
  jsize length = 0;
  wchar_t* units = decodeModifiedUtf8(text, &length);
  StringObject* string = makeString(units, length);
  HeapFree(GetProcessHeap(), 0, units);
  ReportLine line;
  beginLine(line, "NewStringUTF");
  addKey(line, "value");
  addObject(line, &string->header);
  writeLine(line);
  return reinterpret_cast<jstring>(string);
}

const char* JNICALL getStringUtfChars(JNIEnv*, jstring value, jboolean* isCopy) {
  StringObject* string = reinterpret_cast<StringObject*>(value);
  unsigned char* text = static_cast<unsigned char*>(allocate(string->length * 3 + 1));
  unsigned char* p = text;
  for (jsize i = 0; i < string->length; ++i) {
    unsigned unit = static_cast<unsigned short>(string->units[i]);
    if (unit != 0 && unit < 0x80) {
      *p++ = static_cast<unsigned char>(unit);
    } else if (unit < 0x800) {
      *p++ = static_cast<unsigned char>(0xC0 | (unit >> 6));
      *p++ = static_cast<unsigned char>(0x80 | (unit & 0x3F));
    } else {
      *p++ = static_cast<unsigned char>(0xE0 | (unit >> 12));
      *p++ = static_cast<unsigned char>(0x80 | ((unit >> 6) & 0x3F));
      *p++ = static_cast<unsigned char>(0x80 | (unit & 0x3F));
    }
  }
  if (isCopy) *isCopy = JNI_TRUE;
  ReportLine line;
  beginLine(line, "GetStringUTFChars");
  addKey(line, "value");
  addObject(line, &string->header);
  writeLine(line);
  return reinterpret_cast<const char*>(text);
}

void JNICALL releaseStringUtfChars(JNIEnv*, jstring value, const char* text) {
  ReportLine line;
  beginLine(line, "ReleaseStringUTFChars");
  addKey(line, "value");
  addObject(line, object(value));
  writeLine(line);
  HeapFree(GetProcessHeap(), 0, const_cast<char*>(text));
}

jobjectArray JNICALL newObjectArray(JNIEnv*, jsize length, jclass elementClass, jobject initial) {
  if (scenarioIs("allocation", "arrays", "ok")) {
    ReportLine refused;
    beginLine(refused, "NewObjectArray");
    addKey(refused, "length");
    addNumber(refused, length);
    addKey(refused, "result");
    addRaw(refused, "null");
    writeLine(refused);
    return nullptr;
  }
  ArrayObject* array = static_cast<ArrayObject*>(allocate(sizeof(ArrayObject)));
  array->header.kind = Kind::Array;
  array->length = length;
  array->elementClass = reinterpret_cast<ClassObject*>(elementClass);
  array->elements = static_cast<Object**>(allocate((length + 1) * sizeof(Object*)));
  for (jsize i = 0; i < length; ++i) array->elements[i] = object(initial);
  ReportLine line;
  beginLine(line, "NewObjectArray");
  addKey(line, "length");
  addNumber(line, length);
  addKey(line, "elementClass");
  addBytes(line, array->elementClass ? array->elementClass->name : nullptr);
  addKey(line, "initial");
  addObject(line, object(initial));
  writeLine(line);
  return reinterpret_cast<jobjectArray>(array);
}

void JNICALL setObjectArrayElement(JNIEnv*, jobjectArray target, jsize index, jobject value) {
  ArrayObject* array = reinterpret_cast<ArrayObject*>(target);
  ReportLine line;
  beginLine(line, "SetObjectArrayElement");
  addKey(line, "index");
  addNumber(line, index);
  addKey(line, "value");
  addObject(line, object(value));
  writeLine(line);
  if (index < 0 || index >= array->length) {
    raise("java/lang/ArrayIndexOutOfBoundsException", "index");
    return;
  }
  array->elements[index] = object(value);
}

jint JNICALL destroyJavaVm(JavaVM*) {
  reportSimple("DestroyJavaVM");
  Sleep(static_cast<DWORD>(scenarioNumber("destroySeconds", 0)) * 1000);
  return JNI_OK;
}

jint JNICALL attachCurrentThread(JavaVM*, void** penv, void*) {
  reportSimple("AttachCurrentThread");
  *penv = &env;
  return JNI_OK;
}

jint JNICALL detachCurrentThread(JavaVM*) {
  reportSimple("DetachCurrentThread");
  return JNI_OK;
}

jint JNICALL getEnv(JavaVM*, void** penv, jint version) {
  ReportLine line;
  beginLine(line, "GetEnv");
  addKey(line, "version");
  addVersion(line, version);
  writeLine(line);
  *penv = &env;
  return JNI_OK;
}

void buildTables() {
  constexpr size_t envSlots = sizeof(JNINativeInterface_) / sizeof(Slot);
  constexpr size_t vmSlots = sizeof(JNIInvokeInterface_) / sizeof(Slot);
  Slot slots[envSlots];
  fillEnvSlots(slots, std::make_index_sequence<envSlots>());
  memcpy(&envTable, slots, sizeof envTable);
  fillVmSlots(slots, std::make_index_sequence<vmSlots>());
  memcpy(&vmTable, slots, sizeof vmTable);

  envTable.GetVersion = getVersion;
  envTable.FindClass = findClass;
  envTable.GetStaticMethodID = getStaticMethodId;
  envTable.CallStaticVoidMethod = callStaticVoidMethod;
  envTable.CallStaticVoidMethodV = callStaticVoidMethodV;
  envTable.CallStaticVoidMethodA = callStaticVoidMethodA;
  envTable.CallStaticBooleanMethod = callStaticBooleanMethod;
  envTable.CallStaticBooleanMethodV = callStaticBooleanMethodV;
  envTable.CallStaticBooleanMethodA = callStaticBooleanMethodA;
  envTable.ExceptionOccurred = exceptionOccurred;
  envTable.ExceptionCheck = exceptionCheck;
  envTable.ExceptionDescribe = exceptionDescribe;
  envTable.ExceptionClear = exceptionClear;
  envTable.DeleteLocalRef = deleteLocalRef;
  envTable.NewString = newString;
  envTable.NewStringUTF = newStringUtf;
  envTable.GetStringUTFChars = getStringUtfChars;
  envTable.ReleaseStringUTFChars = releaseStringUtfChars;
  envTable.NewObjectArray = newObjectArray;
  envTable.SetObjectArrayElement = setObjectArrayElement;
  vmTable.DestroyJavaVM = destroyJavaVm;
  vmTable.AttachCurrentThread = attachCurrentThread;
  vmTable.DetachCurrentThread = detachCurrentThread;
  vmTable.GetEnv = getEnv;
  env.functions = &envTable;
  vm.functions = &vmTable;
}

}  // namespace

#ifdef LTR_TEST_DEPENDENCY
extern "C" __declspec(dllimport) const char* ltrDependencyName();

// Which copy of ltrdep.dll the loader resolved this library's import with.
void reportDependency() {
  ReportLine line;
  beginLine(line, "dependency");
  addKey(line, "name");
  addBytes(line, ltrDependencyName());
  writeLine(line);
}
#else
void reportDependency() {}
#endif

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* initArguments) {
  static bool tablesBuilt = false;
  if (!tablesBuilt) buildTables();
  tablesBuilt = true;
  loadScenario();
  reportDependency();
  pending = nullptr;
  exitHook = nullptr;

  JavaVMInitArgs* arguments = static_cast<JavaVMInitArgs*>(initArguments);
  ReportLine line;
  beginLine(line, "JNI_CreateJavaVM");
  addKey(line, "version");
  addVersion(line, arguments->version);
  addKey(line, "ignoreUnrecognized");
  addBool(line, arguments->ignoreUnrecognized != JNI_FALSE);
  addKey(line, "nOptions");
  addNumber(line, arguments->nOptions);
  writeLine(line);
  for (jint i = 0; i < arguments->nOptions; ++i) {
    const JavaVMOption& option = arguments->options[i];
    beginLine(line, "option");
    addKey(line, "index");
    addNumber(line, i);
    addKey(line, "optionString");
    addBytes(line, option.optionString);
    addKey(line, "extraInfo");
    addBool(line, option.extraInfo != nullptr);
    writeLine(line);
    if (option.optionString && strcmp(option.optionString, "exit") == 0)
      exitHook = reinterpret_cast<void(JNICALL*)(jint)>(option.extraInfo);
  }

  jint result = scenarioIs("create", "fail", "ok") ? scenarioNumber("createResult", JNI_ERR) : JNI_OK;
  beginLine(line, "created");
  addKey(line, "result");
  addNumber(line, result);
  writeLine(line);
  if (result == JNI_OK) {
    *pvm = &vm;
    *penv = &env;
  }
  return result;
}
