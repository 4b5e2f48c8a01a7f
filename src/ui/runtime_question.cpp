// The question offers no download and no file chooser yet: it says that
// no runtime was found, and its only answer ends the launch as Cancel does.
#include "ui/runtime_question.h"

#include <stdlib.h>
#include <string.h>

#include "common/text.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/record_ids.h"
#include "ui/install_marker.h"

void fillBitness(const char16_t* format, char16_t* text, size_t capacity) {
  const char16_t* bitness = sizeof(void*) == 8 ? u"64" : u"32";
  size_t used = 0;
  bool filled = false;
  for (const char16_t* c = format; *c && used + 1 < capacity; ++c) {
    if (!filled && c[0] == u'%' && c[1] == u'S') {
      for (const char16_t* b = bitness; *b && used + 1 < capacity; ++b) text[used++] = *b;
      filled = true;
      ++c;
    } else {
      text[used++] = *c;
    }
  }
  text[used] = 0;
}

DWORD WINAPI askForRuntime(void* window) {
  Text location;
  configString(kRecord_jreDownloadUrl, location, sizeof location);
  logMessage("Download location: %s", location);
  WideText format;
  WideText text;
  WideText caption;
  configWString(kRecord_questionWithoutDownload, format);
  fillBitness(format, text, kTextCapacity);
  configWString(kRecord_caption, caption);
  MessageBoxW(static_cast<HWND>(window), reinterpret_cast<const wchar_t*>(text),
              reinterpret_cast<const wchar_t*>(caption), MB_OK | MB_ICONERROR);
  setInstallStarted(false);
  exit(1);
}
