#include "ui/progress_window.h"

#include <windows.h>
#include <commctrl.h>

#include "common/text.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/record_ids.h"
#include "ui/error_display.h"
#include "runtime/download.h"
#include "runtime/included_runtime.h"
#include "ui/install_marker.h"
#include "ui/runtime_question.h"
#include "windows/launch_pipeline.h"
#include "windows/launch_state.h"

namespace {

const char kDialogClass[] = "MyDialogClass";
// The dialog manager's window extra bytes: DLGWINDOWEXTRA of the Windows
// SDK, which mingw-w64's header gives as 30 on 64 bits too.
constexpr int kDialogWindowExtra = sizeof(void*) == 8 ? 48 : 30;
// Sent by the work thread when the pipeline returned: the launch is over.
constexpr UINT kPipelineReturned = WM_APP + 1;

DWORD WINAPI runPipelineThread(void* window) {
  runLaunchPipeline(window);
  SendMessageA(static_cast<HWND>(window), kPipelineReturned, 0, 0);
  return 0;
}


// Not looked up yet; then none (null) or the console's window.
HWND consoleWindow = reinterpret_cast<HWND>(1);
// The enumeration's scratch: one enumeration runs at a time.
DWORD countedProcess = 0;
int visibleCount = 0;

BOOL CALLBACK countWindow(HWND window, LPARAM) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (IsWindowVisible(window) && owner == countedProcess && window != consoleWindow) ++visibleCount;
  return TRUE;
}

void initialise(HWND window) {
  centerWindow(window);
  setErrorOwner(window);
  setProgressRange(window, 100);
  setDlgItemRecord(window, kProgressText, kRecord_progressText);
  setWindowRecord(window, kRecord_caption);
  setDlgItemRecord(window, IDCANCEL, kRecord_labelCancel);
  startWindowThread(configInt(kRecord_windowOnDemand) ? askForRuntime : runPipelineThread, window, false);
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

INT_PTR CALLBACK progressDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      initialise(window);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        logMessage("Canceled installer");
        cancelDownload();
        cancelInstallStarted();
        EndDialog(window, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case kPipelineReturned:
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

INT_PTR runProgressWindow() {
  INT_PTR result =
      DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kProgressDialog), nullptr, progressDialogProc, 0);
  if (result == -1) logError("Could not show the progress window (error %lu)", GetLastError());
  return result;
}

void centerWindow(HWND window) {
  HWND reference = GetParent(window);
  if (!reference) reference = GetDesktopWindow();
  RECT outer;
  RECT own;
  GetWindowRect(reference, &outer);
  GetWindowRect(window, &own);
  int width = own.right - own.left;
  int height = own.bottom - own.top;
  int left = outer.left + ((outer.right - outer.left) - width) / 2;
  int top = outer.top + ((outer.bottom - outer.top) - height) / 2;
  SetWindowPos(window, HWND_TOP, left, top, 0, 0, SWP_NOSIZE);
}

void setWindowTextWide(HWND window, const char16_t* text) {
  SetWindowTextW(window, reinterpret_cast<const wchar_t*>(text));
}

void setDlgItemTextWide(HWND window, int control, const char16_t* text) {
  SetDlgItemTextW(window, control, reinterpret_cast<const wchar_t*>(text));
}

void setWindowRecord(HWND window, int32_t record) {
  WideText text;
  configWString(record, text);
  setWindowTextWide(window, text);
}

void setDlgItemRecord(HWND window, int control, int32_t record) {
  WideText text;
  configWString(record, text);
  setDlgItemTextWide(window, control, text);
}

void setProgressRange(HWND window, int limit) {
  SendDlgItemMessageA(window, kProgressBar, PBM_SETRANGE, 0, MAKELPARAM(0, limit));
}

void setProgressPosition(HWND window, int position) {
  SendDlgItemMessageA(window, kProgressBar, PBM_SETPOS, position, 0);
}

void startWindowThread(LPTHREAD_START_ROUTINE procedure, HWND window, bool aboveNormal) {
  HANDLE thread = CreateThread(nullptr, 0, procedure, window, 0, nullptr);
  if (!thread) return;
  if (aboveNormal) SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
  CloseHandle(thread);
}

void findConsoleWindow() {
  if (consoleWindow != reinterpret_cast<HWND>(1)) return;
  consoleWindow = nullptr;
  if (configInt(kRecord_launcherType) == 1) return;
  Text title;
  if (GetConsoleTitleA(title, sizeof title) == 0) return;
  // A title of our own makes the console's window findable.
  char unique[64];
  wsprintfA(unique, "%lu/%lu", GetTickCount(), GetCurrentProcessId());
  if (!SetConsoleTitleA(unique)) return;
  Sleep(40);
  consoleWindow = FindWindowA(nullptr, unique);
  SetConsoleTitleA(title);
}

int countVisibleWindows(DWORD processId) {
  findConsoleWindow();
  countedProcess = processId;
  visibleCount = 0;
  EnumWindows(countWindow, 0);
  return visibleCount;
}

DWORD WINAPI watchForJavaWindow(void* handle) {
  HWND window = static_cast<HWND>(handle);
  ProgressScheme& progress = progressScheme();
  // The progress window is the one visible window until the Java side shows its own.
  for (int polls = 1; countVisibleWindows(GetCurrentProcessId()) <= 1; ++polls) {
    if (polls % 5 == 0) {
      progress.start += 20;
      if (progress.start > progress.limit - 10) progress.start = progress.limit - 10;
      setProgressPosition(window, progress.start);
    }
    if (polls == 600 && isInstallStarted()) {
      logMessage("timeout");
      fatalConfigErrorW(kRecord_errJvmNotStarted);
    }
    Sleep(100);
  }
  logMessage("Java window visible");
  ShowWindow(window, SW_HIDE);
  return 0;
}

DWORD WINAPI animateExpansionProgress(void* handle) {
  HWND window = static_cast<HWND>(handle);
  int position = 100;
  while (!unpackDone()) {
    Sleep(unpackDuration() / 10);
    position += 10;
    setProgressPosition(window, position);
    if (position >= 200) break;
  }
  return 0;
}
