// A library the dependency variant of the test jvm.dll imports, built twice:
// the runtime's own copy, and one planted where a runtime must never load
// its libraries from. Its name tells the report which one was loaded.
#include <windows.h>

extern "C" __declspec(dllexport) const char* ltrDependencyName() { return LTR_DEPENDENCY_NAME; }
