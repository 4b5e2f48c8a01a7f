// What the user is asked when no usable runtime was found: dialog 104 with
// Download (when record 150 names a location), Locate and Cancel.
#pragma once

#include <windows.h>

#include "launch/launch_context.h"

constexpr int kQuestionDialog = 104;
constexpr int kDownloadButton = 1004;
constexpr int kLocateButton = 1005;

// Asks on the calling thread; the question is owned by the progress
// window, whose bar and status line show a download. True once a runtime
// was downloaded or located; false with the context's failure recorded
// (the question could not be shown, the user canceled, the download failed
// or was canceled, or the launch cannot go on).
bool askForRuntime(LaunchContext& context, HWND progressWindow);
