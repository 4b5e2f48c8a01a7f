// The download's status line: its four figures and the configured text
// they are filled into.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct DownloadFigures {
  double receivedMegabytes;
  double totalMegabytes;
  double percent;
  // Bytes per millisecond, shown as kb/s; 0 while no time has passed.
  double speed;
};

DownloadFigures downloadFigures(uint32_t received, uint32_t length, uint32_t elapsedMilliseconds);

// Fills the configured text's floating-point placeholders (%f, %e, %g with
// their width and precision) with the figures in order, and "%%" with "%".
// The text is never handed to printf: any other or surplus placeholder
// stays as it stands. Cut at the capacity, always terminated.
void fillDownloadStatus(const char16_t* format, const DownloadFigures& figures, char16_t* text, size_t capacity);
