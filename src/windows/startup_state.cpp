#include "windows/startup_state.h"

RunModes& runModes() {
  static RunModes modes;
  return modes;
}
