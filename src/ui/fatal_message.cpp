// Fatal errors about an outside value (an archive's file name, what the
// virtual machine could not give): the message is joined around the value,
// which is never read as a format, logged and shown.
#include "common/text.h"
#include "log/log.h"
#include "ui/error_display.h"

void fatalErrorAbout(const char* before, const char* value, const char* after) {
  Text message;
  copyText(message, sizeof message, before);
  appendText(message, sizeof message, value);
  appendText(message, sizeof message, after);
  logError("%s", message);
  fatalError(message);
}
