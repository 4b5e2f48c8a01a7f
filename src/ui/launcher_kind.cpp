#include "ui/launcher_kind.h"

#include "media/configuration.h"
#include "media/record_ids.h"

namespace {
char kind = 0;
}  // namespace

void determineLauncherKind() {
  char first[2];
  configString(kRecord_launcherKind, first, sizeof first);
  kind = first[0];
}

char launcherKind() { return kind; }
