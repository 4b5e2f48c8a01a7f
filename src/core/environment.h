// The process environment, as the launcher reads it. Windows reads the real
// environment; the host tests supply their own.
#pragma once

#include <stddef.h>

// Copies the value of name into buffer, cut at the capacity. False when the
// variable is not defined at all (a defined, empty variable gives true and "").
bool readEnvironmentVariable(const char* name, char* buffer, size_t capacity);

// A copy of the environment block ("name=value\0...\0\0"), or null; released
// with releaseEnvironmentBlock.
char* takeEnvironmentBlock();
void releaseEnvironmentBlock(char* block);

unsigned long currentProcessId();

// Sets PATH in the process environment and in the C runtime's copy of it,
// so that both hold the same value.
// Null removes PATH from both.
void setPathEverywhere(const char* value);
