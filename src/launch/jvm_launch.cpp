#include "launch/jvm_launch.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/arguments.h"
#include "core/code_page.h"
#include "core/configuration.h"
#include "core/environment.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/record_ids.h"
#include "core/substitution.h"
#include "core/text.h"
#include "core/version_rules.h"
#include "core/vm_options.h"
#include "launch/temp_directory.h"

namespace {

const char kLauncherClass[] = "com/lantor/runtime/WinLauncher";
const char kFirstRunClass[] = "com/quarrow/runtime/FirstRun";
constexpr int kPropertyCapacity = 11;

// The virtual machine and the launching thread's environment, from a
// successful creation on.
struct JavaSession {
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
};

const jchar* asJchars(const char16_t* text) { return reinterpret_cast<const jchar*>(text); }

// The virtual machine could not give what main needs.
bool failAllocation(LaunchContext& context, const char* value) {
  return fail(context.failure, FailureKind::vmAllocation, value);
}

bool appendWide(LaunchContext& context, ArgumentList* list, const char16_t* text) {
  return appendArgument(list, text, wideLength(text)) || failAllocation(context, "argument");
}

// A file path of records 103/105: substituted, made absolute and canonical.
OWN_FRAME void fileArgument(const LaunchContext& context, int32_t pathRecord, WideText& wide) {
  Text configured;
  configString(context.config, pathRecord, configured, sizeof configured);
  substituteVariables(configured, sizeof configured, launchDirectories(context));
  Text absolute;
  fullPath(absolute, configured, true);
  toWide(absolute, wide);
}

// The path when its flag record is set, else the empty text.
bool appendFileArgument(LaunchContext& context, ArgumentList* list, int32_t flagRecord, int32_t pathRecord) {
  WideText wide = {};
  if (configInt(context.config, flagRecord) != 0) fileArgument(context, pathRecord, wide);
  return appendWide(context, list, wide);
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

void buildPropertyOptions(const LaunchContext& context, char* (&options)[kPropertyCapacity + 1]) {
  int n = 0;
  auto add = [&](const char* name, const char* value) {
    if (n < kPropertyCapacity) options[n++] = property(name, value);
    if (n > 0 && !options[n - 1]) --n;
  };
  if (context.semaphoreName[0]) add("lantor.semaphoreName", context.semaphoreName);
  if (context.modes.manual) add("lantor.manualJre", "true");
  if (context.launcherKind == 'i') add("lantor.isQuarrow", "true");
  add("lantor.moduleName", executablePath());
  if (configInt(context.config, kRecord_passProcessCommFile) != 0) {
    Text comm;
    processCommFileName(comm, currentProcessId());
    add("lantor.processCommFile", comm);
  }
  add("lantor.tempDir", context.workDirectory);
  char number[32];
  snprintf(number, sizeof number, "%d", static_cast<int>(context.unextractedPosition));
  add("lantor.unextractedPosition", number);
  Text manpath;
  if (!readEnvironmentVariable("MANPATH", manpath, sizeof manpath)) {
    snprintf(number, sizeof number, "cp%u", consoleOutputCodePage());
    add("lantor.consoleCodepage", number);
  }
  options[n] = nullptr;
}

bool pendingException(JavaSession& session) { return session.env->ExceptionOccurred() != nullptr; }

// The launch's arguments behind the five launcher arguments: the program
// token, the configured application arguments, then the user's, without
// the "-J" ones when they became VM options.
bool addCommandArguments(LaunchContext& context, ArgumentList* arguments, const ArgumentList& commandLine) {
  if (commandLine.count > 0 && !appendWide(context, arguments, commandLine.items[0])) return false;
  Text configured;
  configString(context.config, kRecord_applicationArguments, configured, sizeof configured);
  substituteVariables(configured, sizeof configured, launchDirectories(context));
  WideText wide;
  ansiToWide(configured, wide, kTextCapacity);
  if (!splitArguments(wide, arguments, context.failure)) return false;
  bool dropJ = configInt(context.config, kRecord_jArgumentsAsVmOptions) != 0;
  for (int i = 1; i < commandLine.count; ++i) {
    const char16_t* token = commandLine.items[i];
    if (dropJ && token[0] == u'-' && token[1] == u'J') continue;
    if (!appendWide(context, arguments, token)) return false;
  }
  return true;
}

// The Java array of the arguments, each logged in the 8-bit code page.
jobjectArray javaArguments(LaunchContext& context, JavaSession& session, const ArgumentList& arguments) {
  JNIEnv* env = session.env;
  jclass stringClass = env->FindClass("java/lang/String");
  jobjectArray array = stringClass ? env->NewObjectArray(arguments.count, stringClass, nullptr) : nullptr;
  if (!array) {
    failAllocation(context, "paramArray");
    return nullptr;
  }
  for (int i = 0; i < arguments.count; ++i) {
    Text shown;
    toNarrow(arguments.items[i], shown, sizeof shown);
    logMessage("param %d: %s", i, shown);
    jstring text = env->NewString(asJchars(arguments.items[i]), static_cast<jsize>(wideLength(arguments.items[i])));
    if (!text) {
      failAllocation(context, "jstr");
      return nullptr;
    }
    env->SetObjectArrayElement(array, i, text);
  }
  return array;
}

}  // namespace

void setJvmHome(LaunchContext& context, const char* javaExecutable) {
  Text& home = context.jvmHome;
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

// Fills the init arguments from the property options (null-terminated)
// and the assembled option list; the arrays stay allocated for the VM.
// False when the launch cannot go on (the context's failure says why).
static bool prepareVmInitArgs(LaunchContext& context, JavaVMInitArgs* arguments, const char* const* propertyOptions,
                       const ArgumentList& commandLine) {
  VmOptionList list;
  VmOptionsSource source = {&context.config, launchDirectories(context), &commandLine, &context.failure};
  if (!assembleVmOptions(propertyOptions, source, &list)) return false;
  memset(arguments, 0, sizeof *arguments);
  arguments->version = JNI_VERSION_1_2;
  arguments->ignoreUnrecognized = JNI_TRUE;
  arguments->nOptions = list.count;
  arguments->options = static_cast<JavaVMOption*>(calloc(list.count > 0 ? list.count : 1, sizeof(JavaVMOption)));
  if (!arguments->options) return failAllocation(context, "options");
  logMessage("vmoption count %d", list.count);
  for (int i = 0; i < list.count; ++i) {
    logMessage("vmoption %d: %s", i, list.items[i]);
    arguments->options[i].optionString = list.items[i];
    arguments->options[i].extraInfo = nullptr;
  }
  return true;
}

static bool createJvm(LaunchContext& context, const ArgumentList& commandLine, const char* const* propertyOptions,
               JavaSession* session) {
  JavaVMInitArgs arguments;
  if (!prepareVmInitArgs(context, &arguments, propertyOptions, commandLine)) return false;
  logMessage("Creating JVM");
  // Without a loaded library there is nothing to call: that is a failed creation.
  if (!context.createJavaVM) return false;
  return context.createJavaVM(&session->vm, reinterpret_cast<void**>(&session->env), &arguments) == JNI_OK;
}

static bool addLauncherArguments(LaunchContext& context, ArgumentList* arguments) {
  if (!appendWide(context, arguments, configInt(context.config, kRecord_launcherType) == 1 ? u"true" : u"false"))
    return false;
  Text mainClass;
  configString(context.config, kRecord_mainClass, mainClass, sizeof mainClass);
  WideText wide;
  size_t i = 0;
  for (; mainClass[i]; ++i) wide[i] = static_cast<unsigned char>(mainClass[i]);
  wide[i] = 0;
  return appendWide(context, arguments, wide) &&
         appendFileArgument(context, arguments, kRecord_useArgument3File, kRecord_argument3File) &&
         appendFileArgument(context, arguments, kRecord_useArgument4File, kRecord_argument4File) &&
         appendWide(context, arguments, configInt(context.config, kRecord_argument5Flag) != 0 ? u"true" : u"false");
}

// Whether main may run; false also when the launch cannot go on.
static bool checkFirstRun(LaunchContext& context, JavaSession& session) {
  Text directory;
  configString(context.config, kRecord_quarrowDirectory, directory, sizeof directory);
  Text marker;
  fullPath(marker, directory, true);
  appendText(marker, sizeof marker, "\\.quarrow\\firstrun");
  normalizePath(marker);  // the launcher directory already ends with a backslash
  if (!pathExists(marker)) return true;
  JNIEnv* env = session.env;
  jclass firstRun = env->FindClass(kFirstRunClass);
  if (!firstRun) return failInternal(context.failure, InternalError::firstRunClass);
  jmethodID method = env->GetStaticMethodID(firstRun, "firstRun", "()Z");
  if (!method) return failInternal(context.failure, InternalError::firstRunMethod);
  jboolean goOn = env->CallStaticBooleanMethod(firstRun, method);
  if (pendingException(session)) {
    env->ExceptionDescribe();
    return false;
  }
  return goOn == JNI_TRUE;
}

static bool callMain(LaunchContext& context, JavaSession& session, const ArgumentList& commandLine) {
  if (context.launcherKind == 'i' && !checkFirstRun(context, session)) {
    if (stopped(context)) return false;
    logMessage("checkFirstRun stopped further execution");
    return true;
  }
  JNIEnv* env = session.env;
  logMessage("main class: %s", kLauncherClass);
  jclass launcher = env->FindClass(kLauncherClass);
  if (!launcher) {
    logError("could not find main class");
    return fail(context.failure, FailureKind::mainClassNotLoaded);
  }
  jmethodID main = env->GetStaticMethodID(launcher, "main", "([Ljava/lang/String;)V");
  if (!main) {
    logError("could not find main method");
    return fail(context.failure, FailureKind::mainMethodNotFound);
  }

  ArgumentList arguments;
  bool built = addLauncherArguments(context, &arguments) && addCommandArguments(context, &arguments, commandLine);
  jobjectArray array = nullptr;
  if (built) {
    logMessage("param count: %d", arguments.count);
    array = javaArguments(context, session, arguments);
  }
  freeArgumentList(&arguments);
  if (!array) return false;

  logMessage("calling main");
  env->CallStaticVoidMethod(launcher, main, array);
  logMessage("main returned");
  if (pendingException(session)) {
    logError("an exception occured");
    env->ExceptionDescribe();
    return false;
  }
  return true;
}

bool launchJvm(LaunchContext& context, const ArgumentList& commandLine) {
  logMessage("launching program");
  char* options[kPropertyCapacity + 1];
  buildPropertyOptions(context, options);
  JavaSession session;
  if (!createJvm(context, commandLine, options, &session)) {
    if (stopped(context)) return false;
    logError("could not initialize JVM");
    return false;
  }
  logMessage("JVM created");
  if (!callMain(context, session, commandLine)) {
    if (stopped(context)) return false;
    logError("could not call main");
    return false;
  }
  logMessage("dest JVM");
  session.vm->DestroyJavaVM();
  logMessage("launch done");
  return true;
}
