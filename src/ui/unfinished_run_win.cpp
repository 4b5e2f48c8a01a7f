#include "ui/unfinished_run.h"

#include <windows.h>

#include "core/configuration.h"
#include "core/record_ids.h"
#include "core/text.h"
#include "ui/error_display_win.h"

bool askAboutUnfinishedRun(const LaunchContext& context) {
  WideText text;
  configWString(context.config, kRecord_questionUnfinishedRun, text);
  return showWideBox(context.config, nullptr, text, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}
