#include "ui/launch_end.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "core/configuration.h"
#include "core/log.h"
#include "core/record_reader.h"
#include "ui/error_display_win.h"

namespace {

// A short read of a number also tells the system's error code.
void reportReadError(const Failure& failure) {
  if (failure.kind != FailureKind::mediaRead) return;
  auto read = static_cast<ReadFailure>(failure.detail);
  if (read != ReadFailure::readShort && read != ReadFailure::readInt && read != ReadFailure::readLong) return;
  printf("error %u\n", static_cast<unsigned>(failure.systemError));
  fflush(stdout);
}

void tell(const LaunchContext& context, const Failure& failure, const FailureEnd& end) {
  switch (end.display) {
    case FailureDisplay::text:
    case FailureDisplay::configText: {
      Text message;
      failureMessage(context.config, failure, message);
      if (failureLogsItsText(failure.kind)) logError("%s", message);
      showError(context, message);
      break;
    }
    case FailureDisplay::wideRecord: {
      WideText text;
      configWString(context.config, end.record, text);
      showErrorW(context, text);
      break;
    }
    case FailureDisplay::consoleBox:
      MessageBoxA(nullptr, "Error: Could not allocate console.", "quarrow", MB_OK);
      break;
    case FailureDisplay::standardOutput: {
      Text line;
      failureMessage(context.config, failure, line);
      fputs(line, stdout);
      break;
    }
    case FailureDisplay::none:
      break;
  }
}

}  // namespace

void endLaunch(const LaunchContext& context, const Failure& failure) {
  const FailureEnd& end = failureEnd(failure.kind);
  reportReadError(failure);
  tell(context, failure, end);
  if (end.keepsLog) keepLog();
  switch (end.ending) {
    case FailureEnding::immediate:
      ExitProcess(static_cast<UINT>(end.exitCode));
    case FailureEnding::threadOnly:
      ExitThread(static_cast<DWORD>(end.exitCode));
    case FailureEnding::exitHandlers:
      break;
  }
  exit(end.exitCode);
}
