// The run modes, set on the main thread during start-up and read-only once
// a second thread exists.
#pragma once

struct RunModes {
  bool quiet = false;
  bool manual = false;
  bool languageRestart = false;
};

RunModes& runModes();
