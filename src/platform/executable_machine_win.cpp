#include "platform/executable_machine_win.h"

#include "platform/owned_win.h"

namespace {

constexpr WORD kOwnMachine = sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;

bool readAt(HANDLE file, LONG offset, void* buffer, DWORD size) {
  if (SetFilePointer(file, offset, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
  DWORD read = 0;
  return ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

}  // namespace

bool hasOwnMachineType(const char* path) {
  FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  IMAGE_DOS_HEADER dos;
  DWORD signature = 0;
  WORD machine = 0;
  bool read = readAt(file.get(), 0, &dos, sizeof dos) && dos.e_magic == IMAGE_DOS_SIGNATURE && dos.e_lfanew > 0 &&
              readAt(file.get(), dos.e_lfanew, &signature, sizeof signature) && signature == IMAGE_NT_SIGNATURE &&
              readAt(file.get(), dos.e_lfanew + static_cast<LONG>(sizeof signature), &machine, sizeof machine);
  return read && machine == kOwnMachine;
}
