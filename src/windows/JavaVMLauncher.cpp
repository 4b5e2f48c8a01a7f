#include "windows/JavaVMLauncher.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/code_page.h"
#include "common/environment.h"
#include "common/text.h"
#include "jvm/version_rules.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/paths.h"
#include "media/record_ids.h"
#include "media/included_files.h"
#include "media/temp_directory.h"
#include "ui/error_display.h"
#include "ui/launcher_kind.h"
#include "ui/single_instance.h"
#include "windows/arguments.h"
#include "windows/launch_state.h"
#include "windows/startup_state.h"
#include "windows/substitution.h"
#include "windows/vm_options.h"

namespace {

const char kLauncherClass[] = "com/lantor/runtime/WinLauncher";
const char kFirstRunClass[] = "com/quarrow/runtime/FirstRun";
constexpr int kPropertyCapacity = 11;

CreateJavaVMFunction createEntry = nullptr;
JavaVM* vm = nullptr;
JNIEnv* env = nullptr;

const jchar* asJchars(const char16_t* text) { return reinterpret_cast<const jchar*>(text); }

// Stops the launcher when the virtual machine cannot give what main needs.
[[noreturn]] void failAllocation(const char* value) {
  fatalErrorAbout("Assertion failed: ", value, ", module JavaVMLauncher");
}

void appendWide(ArgumentList* list, const char16_t* text) {
  if (!appendArgument(list, text, wideLength(text))) failAllocation("argument");
}

// A file path of records 103/105: substituted, made absolute and canonical.
void appendFileArgument(ArgumentList* list, int32_t flagRecord, int32_t pathRecord) {
  WideText wide = {};
  if (configInt(flagRecord) != 0) {
    Text configured;
    configString(pathRecord, configured, sizeof configured);
    substituteVariables(configured, sizeof configured);
    Text absolute;
    fullPath(absolute, configured, true);
    toWide(absolute, wide);
  }
  appendWide(list, wide);
}

// One "-Dname=value" option in its own buffer.
char* property(const char* name, const char* value) {
  char* option = static_cast<char*>(malloc(kTextCapacity));
  if (!option) return nullptr;
  copyText(option, kTextCapacity, "-D");
  appendText(option, kTextCapacity, name);
  appendText(option, kTextCapacity, "=");
  appendText(option, kTextCapacity, value);
  return option;
}

void buildPropertyOptions(char* (&options)[kPropertyCapacity + 1]) {
  int n = 0;
  auto add = [&](const char* name, const char* value) {
    if (n < kPropertyCapacity) options[n++] = property(name, value);
    if (n > 0 && !options[n - 1]) --n;
  };
  if (instanceSemaphoreName()[0]) add("lantor.semaphoreName", instanceSemaphoreName());
  if (runModes().manual) add("lantor.manualJre", "true");
  if (launcherKind() == 'i') add("lantor.isQuarrow", "true");
  add("lantor.moduleName", executablePath());
  if (configInt(kRecord_passProcessCommFile) != 0) {
    Text comm;
    processCommFileName(comm, currentProcessId());
    add("lantor.processCommFile", comm);
  }
  add("lantor.tempDir", workDirectory());
  char number[32];
  snprintf(number, sizeof number, "%d", static_cast<int>(unextractedPosition()));
  add("lantor.unextractedPosition", number);
  Text manpath;
  if (!readEnvironmentVariable("MANPATH", manpath, sizeof manpath)) {
    snprintf(number, sizeof number, "cp%u", consoleOutputCodePage());
    add("lantor.consoleCodepage", number);
  }
  options[n] = nullptr;
}

bool pendingException() { return env->ExceptionOccurred() != nullptr; }

}  // namespace

void setCreateJavaVM(CreateJavaVMFunction entry) { createEntry = entry; }

bool hasCreateJavaVM() { return createEntry != nullptr; }

void setJvmHome(const char* javaExecutable) {
  Text& home = jvmHomeDirectory();
  copyText(home, sizeof home, javaExecutable);
  size_t name = javaExecutableNameLength(home);
  // Without the executable's name at its end the text names no home.
  if (name == 0) {
    home[0] = 0;
    return;
  }
  home[strlen(home) - name] = 0;
  appendText(home, sizeof home, "..");
}

const char* jvmHome() { return jvmHomeDirectory(); }

void prepareVmInitArgs(JavaVMInitArgs* arguments, const char* const* propertyOptions,
                       const ArgumentList& commandLine) {
  VmOptionList list;
  assembleVmOptions(propertyOptions, &commandLine, &list);
  memset(arguments, 0, sizeof *arguments);
  arguments->version = JNI_VERSION_1_2;
  arguments->ignoreUnrecognized = JNI_TRUE;
  arguments->nOptions = list.count;
  arguments->options = static_cast<JavaVMOption*>(calloc(list.count > 0 ? list.count : 1, sizeof(JavaVMOption)));
  if (!arguments->options) failAllocation("options");
  logMessage("vmoption count %d", list.count);
  for (int i = 0; i < list.count; ++i) {
    logMessage("vmoption %d: %s", i, list.items[i]);
    arguments->options[i].optionString = list.items[i];
    arguments->options[i].extraInfo = nullptr;
  }
}

bool createJvm(const ArgumentList& commandLine, const char* const* propertyOptions) {
  JavaVMInitArgs arguments;
  prepareVmInitArgs(&arguments, propertyOptions, commandLine);
  logMessage("Creating JVM");
  // Without a loaded library there is nothing to call: that is a failed creation.
  if (!createEntry) return false;
  return createEntry(&vm, reinterpret_cast<void**>(&env), &arguments) == JNI_OK;
}

void addLauncherArguments(ArgumentList* arguments) {
  appendWide(arguments, configInt(kRecord_launcherType) == 1 ? u"true" : u"false");
  Text mainClass;
  configString(kRecord_mainClass, mainClass, sizeof mainClass);
  WideText wide;
  size_t i = 0;
  for (; mainClass[i]; ++i) wide[i] = static_cast<unsigned char>(mainClass[i]);
  wide[i] = 0;
  appendWide(arguments, wide);
  appendFileArgument(arguments, kRecord_useArgument3File, kRecord_argument3File);
  appendFileArgument(arguments, kRecord_useArgument4File, kRecord_argument4File);
  appendWide(arguments, configInt(kRecord_argument5Flag) != 0 ? u"true" : u"false");
}

bool checkFirstRun() {
  Text directory;
  configString(kRecord_quarrowDirectory, directory, sizeof directory);
  Text marker;
  fullPath(marker, directory, true);
  appendText(marker, sizeof marker, "\\.quarrow\\firstrun");
  normalizePath(marker);  // the launcher directory already ends with a backslash
  if (!pathExists(marker)) return true;
  jclass firstRun = env->FindClass(kFirstRunClass);
  if (!firstRun) fatalConfigError(kRecord_msgInternalError, "14");
  jmethodID method = env->GetStaticMethodID(firstRun, "firstRun", "()Z");
  if (!method) fatalConfigError(kRecord_msgInternalError, "15");
  jboolean goOn = env->CallStaticBooleanMethod(firstRun, method);
  if (pendingException()) {
    env->ExceptionDescribe();
    return false;
  }
  return goOn == JNI_TRUE;
}

bool callMain(const ArgumentList& commandLine) {
  if (launcherKind() == 'i' && !checkFirstRun()) {
    logMessage("checkFirstRun stopped further execution");
    return true;
  }
  logMessage("main class: %s", kLauncherClass);
  jclass launcher = env->FindClass(kLauncherClass);
  if (!launcher) {
    logError("could not find main class");
    fatalConfigError(kRecord_msgMainClassNotLoaded, nullptr);
  }
  jmethodID main = env->GetStaticMethodID(launcher, "main", "([Ljava/lang/String;)V");
  if (!main) {
    logError("could not find main method");
    fatalConfigError(kRecord_msgMainMethodNotFound, nullptr);
  }

  ArgumentList arguments;
  addLauncherArguments(&arguments);
  if (commandLine.count > 0) appendWide(&arguments, commandLine.items[0]);
  Text configured;
  configString(kRecord_applicationArguments, configured, sizeof configured);
  substituteVariables(configured, sizeof configured);
  WideText wide;
  ansiToWide(configured, wide, kTextCapacity);
  splitArguments(wide, &arguments);
  bool dropJ = configInt(kRecord_jArgumentsAsVmOptions) != 0;
  for (int i = 1; i < commandLine.count; ++i) {
    const char16_t* token = commandLine.items[i];
    if (dropJ && token[0] == u'-' && token[1] == u'J') continue;
    appendWide(&arguments, token);
  }

  logMessage("param count: %d", arguments.count);
  jclass stringClass = env->FindClass("java/lang/String");
  jobjectArray paramArray = stringClass ? env->NewObjectArray(arguments.count, stringClass, nullptr) : nullptr;
  if (!paramArray) failAllocation("paramArray");
  for (int i = 0; i < arguments.count; ++i) {
    Text shown;
    toNarrow(arguments.items[i], shown, sizeof shown);
    logMessage("param %d: %s", i, shown);
    jstring jstr = env->NewString(asJchars(arguments.items[i]), static_cast<jsize>(wideLength(arguments.items[i])));
    if (!jstr) failAllocation("jstr");
    env->SetObjectArrayElement(paramArray, i, jstr);
  }
  freeArgumentList(&arguments);

  logMessage("calling main");
  env->CallStaticVoidMethod(launcher, main, paramArray);
  logMessage("main returned");
  if (pendingException()) {
    logError("an exception occured");
    env->ExceptionDescribe();
    return false;
  }
  return true;
}

bool launchJvm(const ArgumentList& commandLine, bool destroyWhenDone) {
  logMessage("launching program");
  char* options[kPropertyCapacity + 1];
  buildPropertyOptions(options);
  if (!createJvm(commandLine, options)) {
    logError("could not initialize JVM");
    return false;
  }
  logMessage("JVM created");
  if (!callMain(commandLine)) {
    logError("could not call main");
    return false;
  }
  if (destroyWhenDone) {
    logMessage("dest JVM");
    vm->DestroyJavaVM();
  }
  logMessage("launch done");
  return true;
}
