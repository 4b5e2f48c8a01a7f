#include "entry/run_forms.h"

#include <windows.h>

#include "core/configuration.h"
#include "core/log.h"
#include "core/record_ids.h"
#include "launch/pipeline.h"
#include "ui/java_window_watch_win.h"
#include "ui/progress_window_win.h"
#include "ui/runtime_question_win.h"

namespace {

HWND windowOf(void* target) { return static_cast<HWND>(target); }

bool askInWindow(void* target, LaunchContext& context) { return askForRuntime(context, windowOf(target)); }

void watchInWindow(void* target, LaunchContext& context) { startJavaWindowWatch(context, windowOf(target)); }

// The window form's work thread.
bool runPipelineInWindow(LaunchContext& context, HWND window) {
  Progress progress = windowProgress(window);
  PipelineHooks hooks = {window, askInWindow, watchInWindow};
  return runLaunchPipeline(context, &progress, &hooks);
}

// The window-on-demand form: the progress window comes up to ask, on a
// thread of its own, and ends once answered.
bool askThroughProgressWindow(void*, LaunchContext& context) {
  return runProgressWindow(context, askForRuntime) == 0;
}

}  // namespace

bool runLaunch(LaunchContext& context) {
  if (context.modes.quiet) {
    logMessage("Quiet installer.");
    return runLaunchPipeline(context, nullptr, nullptr);
  }
  registerDialogClass();
  if (configInt(context.config, kRecord_windowOnDemand) != 0) {
    PipelineHooks hooks = {nullptr, askThroughProgressWindow, nullptr};
    return runLaunchPipeline(context, nullptr, &hooks);
  }
  // Without a progress window there is no work thread and so no launch.
  if (runProgressWindow(context, runPipelineInWindow) == -1) return fail(context.failure, FailureKind::noProgressWindow);
  return true;
}
