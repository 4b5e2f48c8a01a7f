// How the work shows its progress: the range and the position of a bar, the
// main text and a status line. The progress window implements it; the
// forms without a window pass none (null), and every call then does nothing.
// The work never learns who shows it, like a transfer's progress callback.
#pragma once

#include <atomic>

struct Progress {
  void* target;
  void (*setRange)(void* target, int limit);
  void (*setPosition)(void* target, int position);
  void (*setMessage)(void* target, const char16_t* text);
  // Shows the status line with the text; null hides it.
  void (*setStatus)(void* target, const char16_t* text);
  // Moves the bar on by itself from position 100, a step each stepMilliseconds,
  // until done or position 200: the phase whose length nobody can tell.
  void (*pace)(void* target, unsigned long stepMilliseconds, const std::atomic<bool>* done);
};

inline void progressRange(const Progress* progress, int limit) {
  if (progress) progress->setRange(progress->target, limit);
}
inline void progressPosition(const Progress* progress, int position) {
  if (progress) progress->setPosition(progress->target, position);
}
inline void progressMessage(const Progress* progress, const char16_t* text) {
  if (progress) progress->setMessage(progress->target, text);
}
inline void progressStatus(const Progress* progress, const char16_t* text) {
  if (progress) progress->setStatus(progress->target, text);
}
inline void progressPace(const Progress* progress, unsigned long stepMilliseconds, const std::atomic<bool>* done) {
  if (progress) progress->pace(progress->target, stepMilliseconds, done);
}
