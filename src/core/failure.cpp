#include "core/failure.h"

#include <stdio.h>

#include "core/configuration.h"
#include "core/record_ids.h"
#include "core/record_reader.h"

namespace {

struct Row {
  FailureKind kind;
  FailureEnd end;
};

using D = FailureDisplay;
using E = FailureEnding;

const Row kRows[] = {
    {FailureKind::none, {D::none, 0, 0, E::exitHandlers, false}},
    {FailureKind::mediaOpen, {D::text, 0, 1, E::immediate, true}},
    {FailureKind::mediaRead, {D::text, 0, 1, E::immediate, true}},
    {FailureKind::internalError, {D::configText, kRecord_msgInternalError, 1, E::immediate, true}},
    {FailureKind::poweruserRequired, {D::configText, kRecord_msgPoweruserRequired, 1, E::immediate, true}},
    {FailureKind::wrongParameterUsage, {D::configText, kRecord_msgWrongParameterUsage, 1, E::immediate, true}},
    {FailureKind::fileNotFound, {D::configText, kRecord_msgFileNotFound, 1, E::immediate, true}},
    {FailureKind::variableUndefined, {D::configText, kRecord_msgVariableUndefined, 1, E::immediate, true}},
    {FailureKind::mainClassNotLoaded, {D::configText, kRecord_msgMainClassNotLoaded, 1, E::immediate, true}},
    {FailureKind::mainMethodNotFound, {D::configText, kRecord_msgMainMethodNotFound, 1, E::immediate, true}},
    {FailureKind::jvmStartFailed, {D::configText, kRecord_msgJvmStartFailed, 1, E::immediate, true}},
    {FailureKind::archiveEntryNotCreated, {D::text, 0, 1, E::immediate, true}},
    {FailureKind::vmAllocation, {D::text, 0, 1, E::immediate, true}},
    {FailureKind::bundledRuntimeCorrupted, {D::text, 0, 1, E::immediate, true}},
    {FailureKind::bundledRuntimeUnusable, {D::text, 0, 1, E::immediate, true}},
    {FailureKind::internetInit, {D::wideRecord, kRecord_errInternetInit, 1, E::immediate, true}},
    {FailureKind::downloadFailed, {D::wideRecord, kRecord_errDownloadFailed, 1, E::immediate, true}},
    {FailureKind::javaWindowTimeout, {D::wideRecord, kRecord_errJvmNotStarted, 1, E::immediate, true}},
    // A damaged installer or a full disk is told like every other error:
    // a box naming the log, or a line on the error stream in quiet mode.
    {FailureKind::extractionRead, {D::wideRecord, kRecord_errCorrupted, 1, E::immediate, true}},
    {FailureKind::extractionWrite, {D::wideRecord, kRecord_errDiskSpace, 1, E::immediate, true}},
    {FailureKind::noRuntimeQuiet, {D::standardOutput, 0, 83, E::exitHandlers, false}},
    {FailureKind::noRuntimeSelected, {D::none, 0, 1, E::exitHandlers, true}},
    {FailureKind::noProgressWindow, {D::text, 0, 1, E::immediate, true}},
    {FailureKind::noQuestion, {D::text, 0, 1, E::immediate, true}},
    {FailureKind::questionCanceled, {D::none, 0, 1, E::exitHandlers, true}},
    // The first copy goes on; this one leaves nothing, its log neither.
    {FailureKind::secondCopy, {D::none, 0, 0, E::exitHandlers, false}},
    {FailureKind::noConsole, {D::consoleBox, 0, 1, E::immediate, true}},
    {FailureKind::canceled, {D::none, 0, 0, E::threadOnly, false}},
};

}  // namespace

bool fail(Failure& failure, FailureKind kind, const char* about) {
  failure.kind = kind;
  copyText(failure.about, sizeof failure.about, about);
  return false;
}

bool failInternal(Failure& failure, InternalError code) {
  failure.detail = static_cast<int>(code);
  return fail(failure, FailureKind::internalError);
}

const FailureEnd& failureEnd(FailureKind kind) {
  for (const Row& row : kRows)
    if (row.kind == kind) return row.end;
  return kRows[0].end;
}

static void joinedText(const Failure& failure, Text& buffer) {
  const char* before = "";
  const char* after = "";
  const char* about = "";
  switch (failure.kind) {
    case FailureKind::mediaOpen:
      before = "Error opening media file. Please move this file to an ascii-only path like c:\\";
      break;
    case FailureKind::mediaRead:
      before = readFailureText(static_cast<ReadFailure>(failure.detail));
      break;
    case FailureKind::archiveEntryNotCreated:
      before = "Could not open file ";
      about = failure.about;
      after = "\n";
      break;
    case FailureKind::vmAllocation:
      before = "Assertion failed: ";
      about = failure.about;
      after = ", module JavaVMLauncher";
      break;
    case FailureKind::bundledRuntimeCorrupted:
      before = "The bundled JRE is corrupted. If you downloaded the setup file please download it again.";
      break;
    case FailureKind::bundledRuntimeUnusable:
      before = "Could not use bundled JRE. Please send this log file to your software vendor:";
      break;
    case FailureKind::noRuntimeQuiet:
      before = "no jre found\n";
      break;
    case FailureKind::noProgressWindow:
      before = "The progress window could not be shown.";
      break;
    case FailureKind::noQuestion:
      before = "The runtime question could not be shown.";
      break;
    default:
      break;
  }
  copyText(buffer, sizeof buffer, before);
  appendText(buffer, sizeof buffer, about);
  appendText(buffer, sizeof buffer, after);
}

void failureMessage(const ConfigTables& config, const Failure& failure, Text& buffer) {
  const FailureEnd& end = failureEnd(failure.kind);
  if (end.display != FailureDisplay::configText) {
    joinedText(failure, buffer);
    return;
  }
  configString(config, end.record, buffer, sizeof buffer);
  char code[16];
  snprintf(code, sizeof code, "%d", failure.detail);
  if (failure.kind == FailureKind::internalError)
    replaceFirstPlaceholder(buffer, sizeof buffer, code);
  else if (failure.kind == FailureKind::fileNotFound || failure.kind == FailureKind::variableUndefined)
    replaceFirstPlaceholder(buffer, sizeof buffer, failure.about);
}

bool failureLogsItsText(FailureKind kind) {
  return kind == FailureKind::archiveEntryNotCreated || kind == FailureKind::vmAllocation;
}
