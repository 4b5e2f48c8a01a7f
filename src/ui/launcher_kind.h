// The launcher kind: the first character of record 2001, read at start-up.
#pragma once

// "i" installer launcher, "e" application launcher, anything else neither
// (0 when record 2001 is absent).
void determineLauncherKind();
char launcherKind();
