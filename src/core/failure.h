// Why a launch cannot go on. Steps record a Failure and return false; the
// failure travels up to the one place that tells the user, keeps or
// deletes the log and ends the process (or, for a canceled launch, only
// the thread). How each kind ends is the table of failure.cpp.
#pragma once

#include <stdint.h>

#include "core/text.h"

enum class FailureKind : uint8_t {
  none,
  mediaOpen,               // the launcher's own file cannot be opened
  mediaRead,               // a read of the payload ran short (detail: ReadFailure)
  internalError,           // record 1009 with the code (detail: InternalError)
  poweruserRequired,       // record 1015: no temporary root can be written
  wrongParameterUsage,     // record 1007: a quote is not closed
  fileNotFound,            // record 1006 about a mandatory class path entry
  variableUndefined,       // record 1008 about a mandatory variable
  mainClassNotLoaded,      // record 1010
  mainMethodNotFound,      // record 1011
  jvmStartFailed,          // record 1005
  archiveEntryNotCreated,  // a file of the runtime archive cannot be created
  vmAllocation,            // the virtual machine could not give what main needs
  bundledRuntimeCorrupted, // the included runtime archive cannot be read
  bundledRuntimeUnusable,  // neither the included runtime nor another one loads
  internetInit,            // record 20002: WinINet is missing
  downloadFailed,          // record 20003
  javaWindowTimeout,       // record 20014: the Java side never showed a window
  extractionRead,          // record 20016: the installer file is damaged
  extractionWrite,         // record 20018: the disk is full
  noRuntimeQuiet,          // quiet mode and no runtime: exit code 83
  noRuntimeSelected,       // the question ended without a runtime
  noProgressWindow,        // the progress window could not be created
  noQuestion,              // the runtime question could not be created
  questionCanceled,        // the user canceled the runtime question
  secondCopy,              // another copy of this launcher file runs
  noConsole,               // -c and no console could be had
  canceled,                // the user canceled the progress window
};

// The codes of record 1009's message.
enum class InternalError : int {
  workDirectory = 7,
  includedFile = 11,
  firstRunClass = 14,
  firstRunMethod = 15,
  unpackTool = 20,
};

struct Failure {
  FailureKind kind = FailureKind::none;
  int detail = 0;            // InternalError or ReadFailure
  uint32_t systemError = 0;  // of a failed read
  Text about;                // the value the message names, "" for none
};

// Records the failure and returns false, for "return fail(...)".
bool fail(Failure& failure, FailureKind kind, const char* about = nullptr);
bool failInternal(Failure& failure, InternalError code);

// How a failure ends the launch.
enum class FailureDisplay : uint8_t {
  none,
  text,           // a fixed or joined 8-bit text, shown with the log hint
  configText,     // the text of an 8-bit record, "{0}" filled, with the log hint
  wideRecord,     // the text of a wide record, with the log hint
  consoleBox,     // the box of a console that could not be had
  standardOutput, // a line on the standard output
};

enum class FailureEnding : uint8_t {
  immediate,     // ExitProcess: no exit handlers; the log was kept by showing the error
  exitHandlers,  // the C runtime's exit: an unasked-for log is deleted
  threadOnly,    // the thread stops; the process ends elsewhere
};

struct FailureEnd {
  FailureDisplay display;
  int32_t record;     // the config record, for configText and wideRecord
  int exitCode;
  FailureEnding ending;
  // A failed start keeps its log also where no message names it.
  bool keepsLog;
};

const FailureEnd& failureEnd(FailureKind kind);

struct ConfigTables;

// The 8-bit message of a failure shown as text, configText or on the
// standard output, before the log hint: the fixed text or the one joined
// around failure.about, or the record's text with its first "{0}" filled in.
void failureMessage(const ConfigTables& config, const Failure& failure, Text& buffer);
// Whether the message is logged as an error line before it is shown.
bool failureLogsItsText(FailureKind kind);
