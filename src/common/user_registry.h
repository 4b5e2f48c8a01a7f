// DWORD values below HKEY_CURRENT_USER, where the launcher keeps what
// outlives a run: the pids of running copies and the InstallStarted mark.
#pragma once

#include <windows.h>

// Creates the key as needed; failures are silent.
void writeUserDword(const char* keyPath, const char* name, DWORD value);
// True when the value exists and holds exactly four bytes; type, when
// given, receives its registry type.
bool readUserDword(const char* keyPath, const char* name, DWORD* value, DWORD* type);
