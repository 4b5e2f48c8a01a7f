#include "platform/private_directory_win.h"

#include "platform/owned_win.h"

bool createPrivateDirectory(const char* path) {
  KernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive())) return false;
  union {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } owner;
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenUser, &owner, sizeof owner, &size)) return false;
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
