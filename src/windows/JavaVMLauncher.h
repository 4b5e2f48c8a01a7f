// Creating the Java virtual machine in this process through JNI and handing
// over to the Java launcher class, with the launch's "lantor." properties,
// the five launcher arguments and the user's arguments.
#pragma once

#include <jni.h>

#include "windows/split_arguments.h"

typedef jint(JNICALL* CreateJavaVMFunction)(JavaVM** vm, void** environment, void* arguments);

// Stored by the runtime loading once GetProcAddress found the entry.
void setCreateJavaVM(CreateJavaVMFunction entry);
// Whether a runtime's library is loaded, so that a launch can be tried.
bool hasCreateJavaVM();

// The directory of the java executable followed by "..".
void setJvmHome(const char* javaExecutable);
const char* jvmHome();

// Fills the init arguments from the property options (null-terminated)
// and the assembled option list; the arrays stay allocated for the VM.
void prepareVmInitArgs(JavaVMInitArgs* arguments, const char* const* propertyOptions,
                       const ArgumentList& commandLine);

bool launchJvm(const ArgumentList& commandLine, bool destroyWhenDone);
bool createJvm(const ArgumentList& commandLine, const char* const* propertyOptions);
bool callMain(const ArgumentList& commandLine);
bool checkFirstRun();
void addLauncherArguments(ArgumentList* arguments);
