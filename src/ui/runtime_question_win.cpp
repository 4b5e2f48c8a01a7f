#include "ui/runtime_question_win.h"

#include <commdlg.h>
#include <string.h>

#include "core/configuration.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/question_text.h"
#include "core/record_ids.h"
#include "core/text.h"
#include "core/version_rules.h"
#include "launch/download_win.h"
#include "launch/install_marker.h"
#include "launch/registry_search.h"
#include "launch/search_sequence.h"
#include "platform/system_library_win.h"
#include "ui/dialog_text_win.h"
#include "ui/error_display_win.h"
#include "ui/progress_window_win.h"

namespace {

// The texts the question is made of, too large for the stack together.
struct QuestionTexts {
  Text min;
  Text max;
  WideText format;
  WideText minLabel;
  WideText maxLabel;
  WideText text;
};

// One question at a time.
struct Question {
  LaunchContext* context;
  bool downloadOffered;
  QuestionTexts texts;
  char chosen[kTextCapacity];
  RuntimeMessage message;
};
Question question;

void showQuestionText(const ConfigTables& config, HWND dialog) {
  QuestionTexts& t = question.texts;
  configString(config, kRecord_minJavaVersion, t.min, sizeof t.min);
  configString(config, kRecord_maxJavaVersion, t.max, sizeof t.max);
  configWString(config, question.downloadOffered ? kRecord_questionWithDownload : kRecord_questionWithoutDownload,
                t.format);
  configWString(config, kRecord_minVersionPrefix, t.minLabel);
  configWString(config, kRecord_maxVersionPrefix, t.maxLabel);
  buildQuestionText(t.format, t.minLabel, t.min, t.maxLabel, t.max, t.text, kTextCapacity);
  setDlgItemTextWide(dialog, kProgressText, t.text);
}

void initialise(HWND dialog) {
  const ConfigTables& config = question.context->config;
  centerWindow(dialog);
  setWindowRecord(config, dialog, kRecord_caption);
  setDlgItemRecord(config, dialog, IDCANCEL, kRecord_labelCancel);
  setDlgItemRecord(config, dialog, kLocateButton, kRecord_labelLocate);
  setDlgItemRecord(config, dialog, kDownloadButton, kRecord_labelDownload);
  if (!question.downloadOffered) {
    // Hidden alone, the default button would still take Return.
    HWND download = GetDlgItem(dialog, kDownloadButton);
    ShowWindow(download, SW_HIDE);
    EnableWindow(download, FALSE);
  }
  showQuestionText(config, dialog);
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

// True when the user picked a java.exe whose runtime is now loaded; the
// question stays when not, after the reason was shown.
bool chooseJavaExecutable(LaunchContext& context, HWND owner) {
  OpenFileFunction open = openFileFunction();
  if (!open) {
    logError("No file chooser");
    return false;
  }
  char* file = question.chosen;
  file[0] = 0;
  WideText wideTitle;
  configWString(context.config, kRecord_locateTitle, wideTitle);
  Text title;
  toNarrow(wideTitle, title, sizeof title);
  OPENFILENAMEA chooser = {};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = owner;
  chooser.lpstrFilter = "Java EXE\0java.exe\0";
  chooser.lpstrFile = file;
  chooser.nMaxFile = sizeof question.chosen;
  chooser.lpstrTitle = title;
  // The current directory stays the work directory, where a download goes.
  chooser.Flags = OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
  if (!open(&chooser)) return false;
  logMessage("Chosen java executable: %s", file);
  // The filter only suggests: a typed name can be anything.
  if (javaExecutableNameLength(file) == 0) {
    logError("Not a java executable: %s", file);
    return false;
  }
  RuntimeMessage& message = question.message;
  if (!LoadDLL(context, file, true, &message)) {
    if (!stopped(context)) showConfigError(context, message.record, message.hasArgument ? message.argument : nullptr);
    return false;
  }
  registerLocatedJvm(file);
  return true;
}

INT_PTR CALLBACK runtimeQuestionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    initialise(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  WORD id = LOWORD(wParam);
  LaunchContext& context = *question.context;
  switch (id) {
    case kLocateButton:
      // A launch that cannot go on ends the question as well.
      if (chooseJavaExecutable(context, dialog) || stopped(context)) EndDialog(dialog, kLocateButton);
      return FALSE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    case kDownloadButton:
    case IDOK:
      // Return on a Download button that was not offered does nothing.
      if (!question.downloadOffered) return TRUE;
      EndDialog(dialog, id);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool askForRuntime(LaunchContext& context, HWND progressWindow) {
  Text location;
  configString(context.config, kRecord_jreDownloadUrl, location, sizeof location);
  question.context = &context;
  question.downloadOffered = location[0] != 0;
  logMessage("Download location: %s", location);
  INT_PTR answer = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kQuestionDialog), progressWindow,
                                   runtimeQuestionDialogProc, 0);
  if (answer == -1) {
    logError("Could not show the runtime question (error %lu)", GetLastError());
    return fail(context.failure, FailureKind::noQuestion);
  }
  if (stopped(context)) return false;
  if (answer == IDCANCEL) {
    cancelLaunch(context);
    return fail(context.failure, FailureKind::questionCanceled);
  }
  if (answer == kDownloadButton && question.downloadOffered) {
    logMessage("Downloading JRE");
    Progress progress = windowProgress(progressWindow);
    if (!downloadRuntime(context, &progress, location)) return false;
    logMessage("Done");
    context.runtimeAvailable = true;
  }
  return true;
}
