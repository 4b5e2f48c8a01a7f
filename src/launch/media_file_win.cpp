#include "launch/media_file_win.h"

#include "core/configuration.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/record_ids.h"

bool openMediaFile(FileHandle& media, Failure& failure) {
  *media.receive() = CreateFileA(executablePath(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (media.get() && media.valid()) return true;
  media.release();
  logError("Could not open %s", executablePath());
  return fail(failure, FailureKind::mediaOpen);
}

bool failReading(Failure& failure, const ReadError& error) {
  failure.detail = static_cast<int>(error.failure);
  failure.systemError = error.systemError;
  return fail(failure, FailureKind::mediaRead);
}

bool loadConfiguration(LaunchContext& context) {
  FileHandle media;
  if (!openMediaFile(media, context.failure)) return false;
  PayloadLocation location;
  ReadError error;
  if (!locatePayload(media.get(), &location, &error) || !readConfigTables(media.get(), &context.config, &error))
    return failReading(context.failure, error);
  int32_t type = configInt(context.config, kRecord_launcherType);
  if (type != 1 && type != 5) context.guiErrors = false;
  return true;
}
