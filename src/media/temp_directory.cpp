#include "media/temp_directory.h"

#include <windows.h>
#include <direct.h>
#include <stdio.h>
#include <string.h>

#include "media/paths.h"
#include "media/record_ids.h"
#include "ui/error_display.h"

bool isWritableDirectory(const char* directory) {
  Text test;
  copyText(test, sizeof test, directory);
  appendText(test, sizeof test, "\\ltr_w_testdir");
  _rmdir(test);
  if (_mkdir(test) != 0) return false;
  bool exists = pathExists(test);
  _rmdir(test);
  return exists;
}

bool chooseTempRoot(Text& buffer) {
  DWORD n = GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n >= sizeof buffer) buffer[0] = 0;
  // A path the code page cannot hold comes back with "?" in it, and then
  // has no long form either: both mean the path cannot be used.
  Text longForm;
  if (longPathName(buffer, longForm, sizeof longForm) == 0) copyText(longForm, sizeof longForm, buffer);
  if (!strchr(longForm, '?')) return false;

  Text windows;
  UINT w = GetWindowsDirectoryA(windows, sizeof windows);
  if (w == 0 || w >= sizeof windows) windows[0] = 0;
  Text windowsTemp;
  copyText(windowsTemp, sizeof windowsTemp, windows);
  appendText(windowsTemp, sizeof windowsTemp, "\\temp");
  const char* candidates[] = {windowsTemp, "c:\\temp", "c:\\tmp", windows};
  for (const char* candidate : candidates) {
    if (candidate[0] && isWritableDirectory(candidate)) {
      copyText(buffer, sizeof buffer, candidate);
      return true;
    }
  }
  if (isWritableDirectory("c:\\")) {
    _mkdir("c:\\tmp");
    if (isWritableDirectory("c:\\tmp")) {
      copyText(buffer, sizeof buffer, "c:\\tmp");
      return true;
    }
  }
  fatalConfigError(kRecord_msgPoweruserRequired, nullptr);
}

bool createTempFileName(Text& buffer) {
  Text root;
  bool shared = chooseTempRoot(root);
  if (GetTempFileNameA(root, "ltr", 0, buffer) == 0) buffer[0] = 0;
  return shared;
}

bool createPrivateDirectory(const char* path) {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  union {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } owner;
  DWORD size = 0;
  bool known = GetTokenInformation(token, TokenUser, &owner, sizeof owner, &size) != FALSE;
  CloseHandle(token);
  if (!known) return false;
  BYTE system[SECURITY_MAX_SID_SIZE];
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD systemSize = sizeof system;
  DWORD administratorsSize = sizeof administrators;
  if (!CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &systemSize) ||
      !CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &administratorsSize))
    return false;
  // Room for the three entries with their SIDs.
  union {
    ACL acl;
    BYTE bytes[sizeof(ACL) + 3 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE)];
  } dacl;
  const DWORD inherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeAcl(&dacl.acl, sizeof dacl, ACL_REVISION) ||
      !AddAccessAllowedAceEx(&dacl.acl, ACL_REVISION, inherit, GENERIC_ALL, owner.user.User.Sid) ||
      !AddAccessAllowedAceEx(&dacl.acl, ACL_REVISION, inherit, GENERIC_ALL, system) ||
      !AddAccessAllowedAceEx(&dacl.acl, ACL_REVISION, inherit, GENERIC_ALL, administrators) ||
      !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, &dacl.acl, FALSE) ||
      !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
    return false;
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
  return CreateDirectoryA(path, &attributes) != FALSE;
}

void processCommFileName(Text& buffer, unsigned long processId) {
  Text temp;
  DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n >= sizeof temp) temp[0] = 0;
  char name[32];
  snprintf(name, sizeof name, "ltr_p%lu.tmp", processId);
  copyText(buffer, sizeof buffer, temp);
  appendText(buffer, sizeof buffer, name);
}
