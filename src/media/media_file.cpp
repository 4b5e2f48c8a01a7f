#include "media/media_file.h"

#include <windows.h>
#include <stdio.h>

#include "log/log.h"
#include "media/configuration.h"
#include "media/paths.h"
#include "media/record_ids.h"
#include "ui/error_display.h"

MediaHandle openMediaFile() {
  HANDLE handle = CreateFileA(executablePath(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    logError("Could not open %s", executablePath());
    fatalError("Error opening media file. Please move this file to an ascii-only path like c:\\");
  }
  return handle;
}

void failReading(const ReadError& error) {
  switch (error.failure) {
    case ReadFailure::readShort:
    case ReadFailure::readInt:
    case ReadFailure::readLong:
      printf("error %u\n", static_cast<unsigned>(error.systemError));
      fflush(stdout);
      break;
    default:
      break;
  }
  fatalError(readFailureText(error.failure));
}

void loadConfiguration() {
  MediaHandle media = openMediaFile();
  PayloadLocation location;
  ReadError error;
  ConfigTables tables;
  if (!locatePayload(media, &location, &error) || !readConfigTables(media, &tables, &error))
    failReading(error);
  CloseHandle(static_cast<HANDLE>(media));
  setConfiguration(tables);
  int32_t type = configInt(kRecord_launcherType);
  if (type != 1 && type != 5) disableGuiErrorDisplay();
}
