#include "ui/runtime_question.h"

#include <windows.h>
#include <commdlg.h>
#include <stdlib.h>
#include <string.h>

#include "common/system_library.h"
#include "common/text.h"
#include "jvm/registry_search.h"
#include "jvm/search_sequence.h"
#include "jvm/version_rules.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/paths.h"
#include "media/record_ids.h"
#include "runtime/download.h"
#include "ui/install_marker.h"
#include "ui/progress_window.h"
#include "windows/launch_state.h"

namespace {

// Written by askForRuntime before the dialog exists, read by the dialog.
bool downloadOffered = false;

void appendNarrow(char16_t* text, size_t capacity, const char* narrow) {
  WideText wide;
  toWide(narrow, wide);
  appendWideText(text, capacity, wide);
}

void initialise(HWND dialog) {
  Text min;
  Text max;
  configString(kRecord_minJavaVersion, min, sizeof min);
  configString(kRecord_maxJavaVersion, max, sizeof max);
  centerWindow(dialog);
  setWindowRecord(dialog, kRecord_caption);
  setDlgItemRecord(dialog, IDCANCEL, kRecord_labelCancel);
  setDlgItemRecord(dialog, kLocateButton, kRecord_labelLocate);
  setDlgItemRecord(dialog, kDownloadButton, kRecord_labelDownload);
  WideText format;
  configWString(downloadOffered ? kRecord_questionWithDownload : kRecord_questionWithoutDownload, format);
  if (!downloadOffered) {
    // Hidden alone, the default button would still take Return.
    HWND download = GetDlgItem(dialog, kDownloadButton);
    ShowWindow(download, SW_HIDE);
    EnableWindow(download, FALSE);
  }
  WideText minLabel;
  WideText maxLabel;
  configWString(kRecord_minVersionPrefix, minLabel);
  configWString(kRecord_maxVersionPrefix, maxLabel);
  WideText text;
  buildQuestionText(format, minLabel, min, maxLabel, max, text, kTextCapacity);
  setDlgItemTextWide(dialog, kProgressText, text);
}

// comdlg32 is loaded only when the chooser is needed.
typedef BOOL(WINAPI* OpenFileFunction)(OPENFILENAMEA*);

OpenFileFunction openFileFunction() {
  static OpenFileFunction function = nullptr;
  if (!function) {
    HMODULE library = loadSystemLibrary("comdlg32.dll");
    if (library) lookUp(library, "GetOpenFileNameA", &function);
  }
  return function;
}

}  // namespace

void buildQuestionText(const char16_t* format, const char16_t* minLabel, const char* min,
                       const char16_t* maxLabel, const char* max, char16_t* text, size_t capacity) {
  const char16_t* bitness = sizeof(void*) == 8 ? u"64" : u"32";
  size_t used = 0;
  bool filled = false;
  for (const char16_t* c = format; *c && used + 1 < capacity; ++c) {
    if (!filled && c[0] == u'%' && c[1] == u'S') {
      for (const char16_t* b = bitness; *b && used + 1 < capacity; ++b) text[used++] = *b;
      filled = true;
      ++c;
    } else {
      text[used++] = *c;
    }
  }
  text[used] = 0;
  if (min[0]) {
    appendWideText(text, capacity, u" (");
    appendWideText(text, capacity, minLabel);
    appendWideText(text, capacity, u" ");
    appendNarrow(text, capacity, min);
  }
  if (max[0]) {
    appendWideText(text, capacity, min[0] ? u", " : u" (");
    appendWideText(text, capacity, maxLabel);
    appendWideText(text, capacity, u" ");
    appendNarrow(text, capacity, max);
  }
  if (min[0] || max[0]) appendWideText(text, capacity, u")");
}

DWORD WINAPI askForRuntime(void* window) {
  HWND progress = static_cast<HWND>(window);
  Text location;
  configString(kRecord_jreDownloadUrl, location, sizeof location);
  downloadOffered = location[0] != 0;
  logMessage("Download location: %s", location);
  INT_PTR answer = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kQuestionDialog), progress,
                                   runtimeQuestionDialogProc, 0);
  if (answer == -1) {
    logError("Could not show the runtime question (error %lu)", GetLastError());
    exit(1);
  }
  if (answer == kDownloadButton && downloadOffered) {
    logMessage("Downloading JRE");
    downloadRuntime(progress, location);
    logMessage("Done");
    runtimeAvailable() = true;
  }
  if (configInt(kRecord_windowOnDemand) != 0) EndDialog(progress, 0);
  return 0;
}

INT_PTR CALLBACK runtimeQuestionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    initialise(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  WORD id = LOWORD(wParam);
  switch (id) {
    case kLocateButton:
      if (chooseJavaExecutable(dialog)) EndDialog(dialog, kLocateButton);
      return FALSE;
    case IDCANCEL:
      cancelInstallStarted();
      exit(1);
    case kDownloadButton:
    case IDOK:
      // Return on a Download button that was not offered does nothing.
      if (!downloadOffered) return TRUE;
      EndDialog(dialog, id);
      return TRUE;
    default:
      return FALSE;
  }
}

bool chooseJavaExecutable(HWND owner) {
  OpenFileFunction open = openFileFunction();
  if (!open) {
    logError("No file chooser");
    return false;
  }
  static char file[kTextCapacity];
  file[0] = 0;
  WideText wideTitle;
  configWString(kRecord_locateTitle, wideTitle);
  Text title;
  toNarrow(wideTitle, title, sizeof title);
  OPENFILENAMEA chooser = {};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = owner;
  chooser.lpstrFilter = "Java EXE\0java.exe\0";
  chooser.lpstrFile = file;
  chooser.nMaxFile = sizeof file;
  chooser.lpstrTitle = title;
  chooser.Flags = OFN_FILEMUSTEXIST;
  if (!open(&chooser)) return false;
  logMessage("Chosen java executable: %s", file);
  // The filter only suggests: a typed name can be anything.
  if (javaExecutableNameLength(file) == 0) {
    logError("Not a java executable: %s", file);
    return false;
  }
  if (!LoadDLL(true, file, true)) return false;
  registerLocatedJvm(file);
  return true;
}
