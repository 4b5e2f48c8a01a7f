// The registry as the launcher uses it: DWORD values below HKEY_CURRENT_USER
// (the pids of running copies, the InstallStarted mark) and text values of
// the runtimes' keys.
#pragma once

#include <windows.h>

// Creates the key as needed; failures are silent.
void writeUserDword(const char* keyPath, const char* name, DWORD value);
// True when the value exists and holds exactly four bytes; type, when
// given, receives its registry type.
bool readUserDword(const char* keyPath, const char* name, DWORD* value, DWORD* type);

// A REG_SZ value only, read with room for a terminator the value may lack.
bool readRegistryString(HKEY root, const char* keyPath, const char* name, char* buffer, DWORD capacity);
