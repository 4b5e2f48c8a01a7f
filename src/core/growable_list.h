// The one growable array of the launcher: lists whose length comes from
// outside (a payload's record count, a command line, a directory, the
// registry) grow by doubling instead of trusting a size given in advance.
// No exceptions: a failed growth is reported, the list stays as it was.
#pragma once

#include <stdlib.h>

template <typename T>
struct GrowableList {
  T* items = nullptr;
  int count = 0;
};

template <typename T>
bool listAppend(GrowableList<T>& list, const T& item) {
  int n = list.count;
  if ((n & (n - 1)) == 0) {
    size_t capacity = n == 0 ? 8 : static_cast<size_t>(n) * 2;
    void* grown = realloc(list.items, capacity * sizeof(T));
    if (!grown) return false;
    list.items = static_cast<T*>(grown);
  }
  list.items[n] = item;
  list.count = n + 1;
  return true;
}

// Frees the array, not what its items point to.
template <typename T>
void listRelease(GrowableList<T>& list) {
  free(list.items);
  list = GrowableList<T>{};
}

// For lists that own their items (malloc'ed texts): frees each, then the array.
template <typename T>
void listReleaseOwned(GrowableList<T*>& list) {
  for (int i = 0; i < list.count; ++i) free(list.items[i]);
  listRelease(list);
}
