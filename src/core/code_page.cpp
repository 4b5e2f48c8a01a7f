#include "core/code_page.h"

// Windows refuses a default character for UTF-8 and UTF-7: every character
// has its bytes there anyway.
bool takesDefaultCharacter(unsigned codePage) { return codePage != 65001 && codePage != 65000; }
