// Messages from the configuration: the record's text with its first "{0}"
// filled in, shown like every other error.
#include "common/text.h"
#include "media/configuration.h"
#include "ui/error_display.h"

void showConfigError(int32_t id, const char* argument) {
  Text text;
  configString(id, text, sizeof text);
  if (argument) replaceFirstPlaceholder(text, sizeof text, argument);
  showError(text);
}
