// The progress window: dialog 103 of the resources, shown while the
// launcher prepares the Java side. In the window form the main thread runs
// it modally and its start runs the launch pipeline on a work thread; in
// the window-on-demand form it only comes up to ask for a runtime.
#pragma once

#include <windows.h>
#include <stdint.h>

constexpr int kProgressDialog = 103;
constexpr int kProgressBar = 1001;
constexpr int kProgressStatus = 1002;
constexpr int kProgressText = 1003;

void registerDialogClass();
INT_PTR CALLBACK progressDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the progress window modally without owner; -1 when it could not be created.
INT_PTR runProgressWindow();
void centerWindow(HWND window);

void setWindowTextWide(HWND window, const char16_t* text);
void setDlgItemTextWide(HWND window, int control, const char16_t* text);
// The window's or the control's text is the wide config record.
void setWindowRecord(HWND window, int32_t record);
void setDlgItemRecord(HWND window, int control, int32_t record);

// The bar of the progress window.
void setProgressRange(HWND window, int limit);
void setProgressPosition(HWND window, int position);

// The threads that serve the progress window run detached; aboveNormal
// for those that must keep up with the work they show.
void startWindowThread(LPTHREAD_START_ROUTINE procedure, HWND window, bool aboveNormal);

// Thread procedures, given the progress window.
DWORD WINAPI watchForJavaWindow(void* window);
DWORD WINAPI animateExpansionProgress(void* window);

int countVisibleWindows(DWORD processId);
void findConsoleWindow();
