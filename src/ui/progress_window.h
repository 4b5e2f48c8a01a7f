// The progress window: dialog 103 of the resources, shown while the
// launcher prepares the Java side. In the window form the main thread runs
// it modally and its start runs the launch pipeline on a work thread.
#pragma once

#include <windows.h>

constexpr int kProgressDialog = 103;
constexpr int kProgressBar = 1001;
constexpr int kProgressStatus = 1002;
constexpr int kProgressText = 1003;

void registerDialogClass();
INT_PTR CALLBACK progressDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the progress window modally; -1 when it could not be created.
INT_PTR runProgressWindow();
void centerWindow(HWND window);
