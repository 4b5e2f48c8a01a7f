// The smallest test harness for Windows test programs run under Wine:
// CHECK_EQ compares and reports, the program's exit code counts failures.
#pragma once

#include <stdio.h>
#include <string.h>

static int checksPassed = 0;
static int checksFailed = 0;

inline void checkText(const char* what, const char* actual, const char* expected, int line) {
  if (strcmp(actual, expected) == 0) {
    ++checksPassed;
    return;
  }
  ++checksFailed;
  printf("line %d: %s\n  actual:   \"%s\"\n  expected: \"%s\"\n", line, what, actual, expected);
}

inline void checkTrue(const char* what, bool condition, int line) {
  if (condition) {
    ++checksPassed;
    return;
  }
  ++checksFailed;
  printf("line %d: %s does not hold\n", line, what);
}

#define CHECK_TEXT(actual, expected) checkText(#actual, (actual), (expected), __LINE__)
#define CHECK(condition) checkTrue(#condition, (condition), __LINE__)

inline int checkSummary(const char* suite) {
  printf("%s: %d passed, %d failed\n", suite, checksPassed, checksFailed);
  return checksFailed == 0 ? 0 : 1;
}
