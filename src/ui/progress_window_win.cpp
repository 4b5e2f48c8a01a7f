#include "ui/progress_window_win.h"

#include <commctrl.h>

#include "core/configuration.h"
#include "core/log.h"
#include "core/record_ids.h"
#include "launch/install_marker.h"
#include "platform/owned_win.h"
#include "ui/dialog_text_win.h"
#include "ui/error_display_win.h"
#include "ui/launch_end.h"

namespace {

const char kDialogClass[] = "MyDialogClass";
// The dialog manager's window extra bytes: DLGWINDOWEXTRA of the Windows
// SDK, which mingw-w64's header gives as 30 on 64 bits too.
constexpr int kDialogWindowExtra = sizeof(void*) == 8 ? 48 : 30;
// Sent by the work's thread when the work is done: the window ends.
constexpr UINT kWorkDone = WM_APP + 1;

// One progress window per process. Its work thread may outlive it (after
// Cancel the thread goes on until the process ends), so what the thread
// reads lives as long as the process.
struct WindowSession {
  LaunchContext* context;
  WindowWork work;
  HWND window;
  KernelHandle thread;
};
WindowSession session;

// After Cancel the work stops at its next step; a step takes moments, so
// the process does not end under it, unless the Java side already took
// over the thread or the step hangs.
constexpr DWORD kCancelWait = 10000;

struct Pace {
  HWND window;
  unsigned long step;
  const std::atomic<bool>* done;
};
Pace pace;

DWORD WINAPI runWork(void*) {
  if (session.work(*session.context, session.window)) {
    SendMessageA(session.window, kWorkDone, 0, 0);
    return 0;
  }
  endLaunch(*session.context, session.context->failure);
}

DWORD WINAPI paceExpansion(void*) {
  int position = 100;
  while (!*pace.done) {
    Sleep(pace.step);
    position += 10;
    SendDlgItemMessageA(pace.window, kProgressBar, PBM_SETPOS, position, 0);
    if (position >= 200) break;
  }
  return 0;
}

HWND windowOf(void* target) { return static_cast<HWND>(target); }

void setRange(void* target, int limit) {
  SendDlgItemMessageA(windowOf(target), kProgressBar, PBM_SETRANGE, 0, MAKELPARAM(0, limit));
}

void setPosition(void* target, int position) {
  SendDlgItemMessageA(windowOf(target), kProgressBar, PBM_SETPOS, position, 0);
}

void setMessage(void* target, const char16_t* text) { setDlgItemTextWide(windowOf(target), kProgressText, text); }

void setStatus(void* target, const char16_t* text) {
  HWND window = windowOf(target);
  if (text) setDlgItemTextWide(window, kProgressStatus, text);
  ShowWindow(GetDlgItem(window, kProgressStatus), text ? SW_SHOW : SW_HIDE);
}

void startPace(void* target, unsigned long stepMilliseconds, const std::atomic<bool>* done) {
  pace = Pace{windowOf(target), stepMilliseconds, done};
  startWindowThread(paceExpansion, nullptr, true);
}

void initialise(HWND window) {
  const ConfigTables& config = session.context->config;
  centerWindow(window);
  setErrorOwner(window);
  setRange(window, 100);
  setDlgItemRecord(config, window, kProgressText, kRecord_progressText);
  setWindowRecord(config, window, kRecord_caption);
  setDlgItemRecord(config, window, IDCANCEL, kRecord_labelCancel);
  session.window = window;
  *session.thread.receive() = CreateThread(nullptr, 0, runWork, nullptr, 0, nullptr);
  // Without its work the window would wait for nothing.
  if (!session.thread.valid()) {
    logError("Could not start the progress window's work (error %lu)", GetLastError());
    EndDialog(window, -1);
  }
}

INT_PTR CALLBACK progressDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      initialise(window);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        logMessage("Canceled installer");
        cancelLaunch(*session.context);
        EndDialog(window, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case kWorkDone:
      EndDialog(window, 0);
      return TRUE;
    case WM_DESTROY:
      // Later errors are shown without an owner rather than not at all.
      setErrorOwner(nullptr);
      return FALSE;
    default:
      return FALSE;
  }
}

void waitForCanceledWork(const LaunchContext& context) {
  DWORD started = GetTickCount();
  while (!context.launching && GetTickCount() - started < kCancelWait)
    if (WaitForSingleObject(session.thread.get(), 50) != WAIT_TIMEOUT) return;
}

}  // namespace

void registerDialogClass() {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW;
  windowClass.lpfnWndProc = DefDlgProcA;
  windowClass.cbWndExtra = kDialogWindowExtra;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(windowClass.hInstance, MAKEINTRESOURCEA(1001));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kDialogClass;
  RegisterClassA(&windowClass);
}

INT_PTR runProgressWindow(LaunchContext& context, WindowWork work) {
  session.context = &context;
  session.work = work;
  session.window = nullptr;
  INT_PTR result =
      DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kProgressDialog), nullptr, progressDialogProc, 0);
  if (result == -1) logError("Could not show the progress window (error %lu)", GetLastError());
  if (result > 0 && session.thread.valid()) waitForCanceledWork(context);
  return result;
}

Progress windowProgress(HWND window) { return Progress{window, setRange, setPosition, setMessage, setStatus, startPace}; }

void startWindowThread(LPTHREAD_START_ROUTINE procedure, void* parameter, bool aboveNormal) {
  KernelHandle thread(CreateThread(nullptr, 0, procedure, parameter, 0, nullptr));
  if (thread.valid() && aboveNormal) SetThreadPriority(thread.get(), THREAD_PRIORITY_ABOVE_NORMAL);
}
