// The progress window: dialog 103 of the resources, shown while the
// launcher prepares the Java side. Its start runs a piece of work on a
// thread of its own (the launch pipeline in the window form, the runtime
// question in the window-on-demand form) and it ends when that work is
// done or the user cancels.
#pragma once

#include <windows.h>

#include "core/progress.h"
#include "launch/launch_context.h"

constexpr int kProgressDialog = 103;
constexpr int kProgressBar = 1001;
constexpr int kProgressStatus = 1002;
constexpr int kProgressText = 1003;

void registerDialogClass();

// The work of a progress window, given the window. True ends the window
// with 0; false ends the launch with the context's failure (a canceled
// launch ends only the thread).
typedef bool (*WindowWork)(LaunchContext& context, HWND window);

// Runs the progress window modally without owner: 0 when its work was
// done, the id of Cancel when the user canceled, -1 when it could not be
// created (logged).
INT_PTR runProgressWindow(LaunchContext& context, WindowWork work);

// The progress window as the work sees it.
Progress windowProgress(HWND window);

// The threads that serve the progress window run detached; aboveNormal
// for those that must keep up with the work they show.
void startWindowThread(LPTHREAD_START_ROUTINE procedure, void* parameter, bool aboveNormal);
