// What the user is asked when no usable runtime was found: dialog 104 with
// Download (when record 150 names a location), Locate and Cancel.
#pragma once

#include <windows.h>
#include <stddef.h>

constexpr int kQuestionDialog = 104;
constexpr int kDownloadButton = 1004;
constexpr int kLocateButton = 1005;

// A thread procedure; window is the progress window, the question's owner.
DWORD WINAPI askForRuntime(void* window);
INT_PTR CALLBACK runtimeQuestionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// True when the user picked a java.exe whose runtime is now loaded.
bool chooseJavaExecutable(HWND owner);

// The question text: the format with its first "%S" replaced by the
// bitness, literally (a configured text is never a printf format), then
// the version bounds with their labels.
void buildQuestionText(const char16_t* format, const char16_t* minLabel, const char* min,
                       const char16_t* maxLabel, const char* max, char16_t* text, size_t capacity);
