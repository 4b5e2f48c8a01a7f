// Each kind of handle the launcher opens is owned by a small wrapper that
// closes it on every path out of the scope that opened it. Move-only, no
// exceptions: release() hands a handle over for good (a library that must
// stay loaded, a semaphore kept for the life of the process).
#pragma once

#include <windows.h>
#include <stdio.h>

template <typename Traits>
class Owned {
 public:
  typedef typename Traits::Handle Handle;

  Owned() : handle_(Traits::invalid()) {}
  explicit Owned(Handle handle) : handle_(handle) {}
  ~Owned() { close(); }
  Owned(Owned&& other) : handle_(other.release()) {}
  Owned& operator=(Owned&& other) {
    if (this != &other) {
      close();
      handle_ = other.release();
    }
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle get() const { return handle_; }
  bool valid() const { return handle_ != Traits::invalid(); }
  // For functions that return the handle through a pointer.
  Handle* receive() {
    close();
    return &handle_;
  }
  Handle release() {
    Handle handle = handle_;
    handle_ = Traits::invalid();
    return handle;
  }
  // False when closing reported an error (a file whose last writes failed).
  bool close() {
    if (!valid()) return true;
    bool closed = Traits::close(handle_);
    handle_ = Traits::invalid();
    return closed;
  }

 private:
  Handle handle_;
};

// CreateFile's handles: INVALID_HANDLE_VALUE when none.
struct FileHandleTraits {
  typedef HANDLE Handle;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static bool close(HANDLE handle) { return CloseHandle(handle) != FALSE; }
};
typedef Owned<FileHandleTraits> FileHandle;

// Processes, threads, tokens, semaphores: null when none.
struct KernelHandleTraits {
  typedef HANDLE Handle;
  static HANDLE invalid() { return nullptr; }
  static bool close(HANDLE handle) { return CloseHandle(handle) != FALSE; }
};
typedef Owned<KernelHandleTraits> KernelHandle;

struct FindHandleTraits {
  typedef HANDLE Handle;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static bool close(HANDLE handle) { return FindClose(handle) != FALSE; }
};
typedef Owned<FindHandleTraits> FindHandle;

struct RegistryKeyTraits {
  typedef HKEY Handle;
  static HKEY invalid() { return nullptr; }
  static bool close(HKEY key) { return RegCloseKey(key) == ERROR_SUCCESS; }
};
typedef Owned<RegistryKeyTraits> RegistryKey;

struct ModuleTraits {
  typedef HMODULE Handle;
  static HMODULE invalid() { return nullptr; }
  static bool close(HMODULE module) { return FreeLibrary(module) != FALSE; }
};
typedef Owned<ModuleTraits> LoadedModule;

struct StdioFileTraits {
  typedef FILE* Handle;
  static FILE* invalid() { return nullptr; }
  static bool close(FILE* file) { return fclose(file) == 0; }
};
typedef Owned<StdioFileTraits> StdioFile;
