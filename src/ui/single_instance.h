// One copy of a launcher file at a time: a named semaphore marks the
// running copy, and a second copy brings the first one's windows to the
// front and ends.
#pragma once

// Returns in the first copy only; a second copy ends with exit code 0.
void checkSingleInstance();

// The semaphore's name, or "" when the check did not run.
const char* instanceSemaphoreName();

void storeInstancePid();
unsigned long readInstancePid();
void activateProcessWindows(unsigned long processId, bool restore);
