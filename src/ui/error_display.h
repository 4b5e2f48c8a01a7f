// Errors the user sees: a message box, or a line on the error stream for
// the quiet switches and launcher types without boxes. Every message names
// the log file, which is then kept. The fatal forms end the process with
// exit code 1 at once, without exit handlers.
#pragma once

#include <stdint.h>

// Switched off by -q, -c and by launcher types other than 1 and 5.
void disableGuiErrorDisplay();
bool guiErrorDisplay();
void setErrorOwner(void* window);

void showError(const char* text);
void showErrorW(const char16_t* text);
void showConfigError(int32_t id, const char* argument);

[[noreturn]] void fatalError(const char* text);
// Logs and shows before + value + after.
[[noreturn]] void fatalErrorAbout(const char* before, const char* value, const char* after);
[[noreturn]] void fatalConfigError(int32_t id, const char* argument);
[[noreturn]] void fatalConfigErrorW(int32_t id);
