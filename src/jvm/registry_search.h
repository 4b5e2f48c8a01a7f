// The installed-runtime registry search of the search sequence's entry Y.
#pragma once

#include "common/text.h"

bool testJvmRegistry(Text& javaExe, const char* min, const char* max);
