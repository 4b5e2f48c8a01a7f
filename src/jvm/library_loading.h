// Loading a runtime's virtual machine library into this process: the bin
// directory goes to the end of PATH, the configured variant and then the
// fixed ones are tried, and a JDK's jre\bin is the second place to look.
#pragma once

typedef void* LibraryHandle;

LibraryHandle loadJvmDll(const char* javaExe);
LibraryHandle loadJvmDllFromBin(const char* javaExe);
LibraryHandle tryJvmVariant(const char* binDirectory, const char* variant);

// Hands the library's JNI_CreateJavaVM to the launch; false without one.
bool resolveCreateJavaVM(LibraryHandle library);
