// The ids of the config records: the schema of the launcher configuration.
// One list feeds both the constants the launcher uses and the readable names
// the builder accepts in a manifest.
#pragma once

#include <stdint.h>

// 8-bit records (ANSI code page).
#define LAUNCHER_RECORDS(X)                 \
  X(101, applicationName)                   \
  X(102, useArgument3File)                  \
  X(103, argument3File)                     \
  X(104, useArgument4File)                  \
  X(105, argument4File)                     \
  X(106, argument5Flag)                     \
  X(107, launcherType)                      \
  X(121, classPath)                         \
  X(122, mainClass)                         \
  X(123, vmParameters)                      \
  X(124, applicationArguments)              \
  X(125, jArgumentsAsVmOptions)             \
  X(126, minJavaVersion)                    \
  X(127, maxJavaVersion)                    \
  X(128, jvmSearchSequence)                 \
  X(130, allowPrereleaseJava)               \
  X(131, requireJdk)                        \
  X(146, workingDirectory)                  \
  X(150, jreDownloadUrl)                    \
  X(151, includedJreSize)                   \
  X(152, preferredJvmVariant)               \
  X(153, packedJre)                         \
  X(155, windowOnDemand)                    \
  X(1000, errorCaption)                     \
  X(1005, msgJvmStartFailed)                \
  X(1006, msgFileNotFound)                  \
  X(1007, msgWrongParameterUsage)           \
  X(1008, msgVariableUndefined)             \
  X(1009, msgInternalError)                 \
  X(1010, msgMainClassNotLoaded)            \
  X(1011, msgMainMethodNotFound)            \
  X(1015, msgPoweruserRequired)             \
  X(1016, msgNoJvmFound)                    \
  X(1018, msgJavaHomeNotWorking)            \
  X(1020, msgJvmDamaged)                    \
  X(2001, launcherKind)                     \
  X(2002, includedFileCount)                \
  X(2003, includedFileNames)                \
  X(10003, quarrowDirectory)                \
  X(10004, nativeLibraryPath)               \
  X(10005, passProcessCommFile)             \
  X(10123, splashScreen)

// Wide records (UTF-16): the texts of windows and wide message boxes.
#define LAUNCHER_WIDE_RECORDS(X)            \
  X(20001, downloadNotice)                  \
  X(20002, errInternetInit)                 \
  X(20003, errDownloadFailed)               \
  X(20004, locateTitle)                     \
  X(20005, questionWithDownload)            \
  X(20006, questionWithoutDownload)         \
  X(20007, progressText)                    \
  X(20008, downloadStatus)                  \
  X(20009, downloadConnecting)              \
  X(20010, labelDownload)                   \
  X(20011, labelLocate)                     \
  X(20012, labelCancel)                     \
  X(20013, caption)                         \
  X(20014, errJvmNotStarted)                \
  X(20015, questionUnfinishedRun)           \
  X(20016, errCorrupted)                    \
  X(20018, errDiskSpace)                    \
  X(20019, minVersionPrefix)                \
  X(20020, maxVersionPrefix)

#define RECORD_CONSTANT(id, name) constexpr int32_t kRecord_##name = id;
LAUNCHER_RECORDS(RECORD_CONSTANT)
LAUNCHER_WIDE_RECORDS(RECORD_CONSTANT)
#undef RECORD_CONSTANT
