// The state of one launch, passed explicitly to every step: the run modes
// and the configuration (written during start-up, read-only once a second
// thread exists), the work directory and the runtime the pipeline settles
// on, the progress scheme the watcher advances, the cancel flag the
// progress window sets, and the failure that stops the launch.
#pragma once

#include <jni.h>
#include <stdint.h>

#include <atomic>

#include "core/configuration.h"
#include "core/failure.h"
#include "core/substitution.h"
#include "core/text.h"

typedef jint(JNICALL* CreateJavaVMFunction)(JavaVM** vm, void** environment, void* arguments);

struct RunModes {
  bool quiet = false;
  bool manual = false;
  bool languageRestart = false;
};

// The bar's range for the phases after the extraction, and the position
// from which the watcher advances it.
struct ProgressScheme {
  int limit = 0;
  int start = 0;
};

struct LaunchContext {
  ConfigTables config;
  RunModes modes;
  // Boxes, or lines on the error stream: off for -q, -c and launcher types
  // other than 1 and 5.
  bool guiErrors = true;
  // "i" installer launcher, "e" application launcher (record 2001).
  char launcherKind = 0;
  // The single-instance semaphore's name; "" when the check did not run.
  Text semaphoreName;
  // The work directory the included files went to ("" when none were
  // extracted), or the current directory in a language restart.
  Text workDirectory;
  // The extraction made the work directory (it is not a directory that was there).
  bool workDirectoryMade = false;
  // The chosen runtime's home: its java executable's directory and "..".
  Text jvmHome;
  // The media file offset just behind the included files.
  uint32_t unextractedPosition = 0;
  // A runtime archive (or, in a language restart, an unpacked runtime) is
  // to be used. Written by the pipeline, or by the runtime question while
  // the pipeline waits for it.
  bool runtimeAvailable = false;
  // The loaded runtime's JNI_CreateJavaVM; null until one is loaded.
  CreateJavaVMFunction createJavaVM = nullptr;
  ProgressScheme progress;
  // Set once the packed jars are restored, for the bar's pace meanwhile.
  std::atomic<bool> expansionDone{false};
  // The user canceled the progress window: the thread still at work
  // stops at its next step and changes nothing more.
  std::atomic<bool> canceled{false};
  // The virtual machine is about to be created: from here on the Java side
  // owns the thread, and a cancel no longer waits for it.
  std::atomic<bool> launching{false};
  Failure failure;
};

inline bool stopped(const LaunchContext& context) { return context.failure.kind != FailureKind::none; }

inline LaunchDirectories launchDirectories(const LaunchContext& context) {
  return LaunchDirectories{context.workDirectory, context.jvmHome};
}
