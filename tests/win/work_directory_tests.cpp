// Emptying a work directory, the writability test and the names of the
// launcher's temporary files, against the real file functions.
#include <windows.h>
#include <aclapi.h>
#include <stdio.h>

#include "check.h"
#include "core/text.h"
#include "core/log.h"
#include "launch/cleanup.h"
#include "launch/included_files.h"
#include "core/paths.h"
#include "launch/temp_directory.h"
#include "platform/private_directory_win.h"

static const char* join(Text& buffer, const char* directory, const char* name) {
  copyText(buffer, sizeof buffer, directory);
  appendText(buffer, sizeof buffer, name);
  return buffer;
}

static void makeFile(const char* directory, const char* name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  Text path;
  HANDLE h = CreateFileA(join(path, directory, name), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
  DWORD written = 0;
  WriteFile(h, "data", 4, &written, nullptr);
  CloseHandle(h);
}

static bool exists(const char* directory, const char* name) {
  Text path;
  return GetFileAttributesA(join(path, directory, name)) != INVALID_FILE_ATTRIBUTES;
}

static void testEmptyDirectory(const char* root) {
  Text work, inner, path;
  join(work, root, "work_tests");
  join(inner, work, "\\");
  CreateDirectoryA(work, nullptr);
  makeFile(inner, "a.jar");
  makeFile(inner, "b.txt");
  makeFile(inner, "locked.txt", FILE_ATTRIBUTE_READONLY);
  CreateDirectoryA(join(path, inner, "empty"), nullptr);
  CreateDirectoryA(join(path, inner, "full"), nullptr);
  makeFile(inner, "full\\kept.txt");

  emptyDirectory(inner);  // a trailing backslash gets no second one
  CHECK(!exists(inner, "a.jar"));
  CHECK(!exists(inner, "b.txt"));
  CHECK(!exists(inner, "empty"));
  CHECK(exists(inner, "full\\kept.txt"));
  CHECK(exists(inner, "locked.txt"));
  CHECK(!RemoveDirectoryA(work));

  SetFileAttributesA(join(path, inner, "locked.txt"), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path);
  DeleteFileA(join(path, inner, "full\\kept.txt"));
  RemoveDirectoryA(join(path, inner, "full"));

  // Only plain files were left: the directory is empty now and goes.
  makeFile(inner, "c.bin");
  emptyDirectory(work);
  CHECK(RemoveDirectoryA(work));
}

static void testNothingForRelativeOrEmpty() {
  CreateDirectoryA("keep_me", nullptr);
  makeFile("keep_me\\", "x");
  emptyDirectory("");
  emptyDirectory(".\\keep_me");
  CHECK(exists("keep_me\\", "x"));
  DeleteFileA("keep_me\\x");
  RemoveDirectoryA("keep_me");
}

static void testTemporaryNames(const char* root) {
  CHECK(isWritableDirectory(root));
  CHECK(!isWritableDirectory("c:\\no such directory"));
  Text name;
  bool shared = true;
  Failure failure;
  CHECK(createTempFileName(name, &shared, failure));
  CHECK(!shared);
  CHECK(strncmp(name, root, strlen(root)) == 0);
  CHECK(strncmp(name + strlen(root), "ltr", 3) == 0);
  CHECK(GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES);
  DeleteFileA(name);

  Text comm;
  processCommFileName(comm, 4242);
  Text expected;
  copyText(expected, sizeof expected, root);
  appendText(expected, sizeof expected, "ltr_p4242.tmp");
  CHECK_TEXT(comm, expected);
}

// The descriptor read back: every entry of the DACL is for the current
// user, SYSTEM or the Administrators, and the user has full access. (Wine
// keeps no descriptor of its own for a directory: it reads one back from
// the Unix mode, without the Administrators and the protection, but also
// without the entry for everyone that a plain directory gets.)
static void testPrivateDirectory(const char* root) {
  Text path;
  copyText(path, sizeof path, root);
  appendText(path, sizeof path, "private_dir_test");
  RemoveDirectoryA(path);
  CHECK(createPrivateDirectory(path));
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL dacl = nullptr;
  CHECK(GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              &descriptor) == ERROR_SUCCESS);
  CHECK(dacl != nullptr);

  HANDLE token;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, user, sizeof user, &size);
  CloseHandle(token);
  PSID self = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
  BYTE system[SECURITY_MAX_SID_SIZE];
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD n = sizeof system;
  CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &n);
  n = sizeof administrators;
  CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &n);
  bool userHasAll = false;
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    CHECK(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    if (!ace) continue;
    PSID sid = &ace->SidStart;
    CHECK(EqualSid(sid, self) || EqualSid(sid, system) || EqualSid(sid, administrators));
    if (EqualSid(sid, self) && (ace->Mask == GENERIC_ALL || ace->Mask == FILE_ALL_ACCESS)) userHasAll = true;
  }
  CHECK(userHasAll);
  LocalFree(descriptor);
  CHECK(RemoveDirectoryA(path));
}

// A target that takes nothing while reporting success (a full pipe that
// does not wait) ends the copy as a failed write instead of looping.
static void testWriteThatTakesNothing(const char* root) {
  Text source;
  join(source, root, "copy_source.bin");
  makeFile(root, "copy_source.bin");
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  CHECK(CreatePipe(&read, &write, nullptr, 16));
  DWORD mode = PIPE_NOWAIT;
  SetNamedPipeHandleState(write, &mode, nullptr, nullptr);
  static char fill[1 << 16];
  DWORD written = 1;
  // A pipe that does not wait takes a write whole or not at all: large
  // writes first, then single bytes, until it takes nothing.
  for (DWORD size = sizeof fill; size > 0; size /= 2) {
    written = 1;
    for (int i = 0; i < 100000 && written != 0; ++i) WriteFile(write, fill, size, &written, nullptr);
  }
  CHECK(written == 0);
  HANDLE in = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  CHECK(copyFileData(in, write, 4, false) == kWriteFailed);
  CloseHandle(in);
  CloseHandle(read);
  CloseHandle(write);
  DeleteFileA(source);
}

int main() {
  Text root;
  bool shared = true;
  Failure failure;
  CHECK(chooseTempRoot(root, &shared, failure) && !shared);
  CHECK(root[0] != 0 && root[strlen(root) - 1] == '\\');
  testEmptyDirectory(root);
  testNothingForRelativeOrEmpty();
  testTemporaryNames(root);
  testPrivateDirectory(root);
  testWriteThatTakesNothing(root);
  return checkSummary("work_directory_tests");
}
