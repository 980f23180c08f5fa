// The security calls the installation directory's settings rely on, checked
// against the simulation and a real implementation: the SDDL conversion of
// the directory's descriptor, the user's grant, the DACL calls by name, and
// the command interpreter's pipe.
#include <string.h>

#include "platform/conformance.h"

namespace {

const char kDirectorySddl[] = "D: (A;OICI;GA;;;AC) (A;OICI;GRGWGX;;;AU) (A;OICI;GA;;;BA) ";
const char kCompactSddl[] = "D:(A;OICI;GA;;;AC)(A;OICI;GRGWGX;;;AU)(A;OICI;GA;;;BA)";
const DWORD kOiCi = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

// The DACL of a descriptor made from `sddl`; the descriptor goes to *owner.
PACL ConvertedDacl(const char *sddl, PSECURITY_DESCRIPTOR *owner) {
  *owner = NULL;
  CHECK(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, owner, NULL));
  BOOL present = FALSE, defaulted = TRUE;
  PACL dacl = NULL;
  CHECK(*owner && GetSecurityDescriptorDacl(*owner, &present, &dacl, &defaulted));
  CHECK(present && dacl != NULL);
  return dacl;
}

const ACCESS_ALLOWED_ACE *EntryAt(PACL dacl, DWORD index) {
  void *ace = NULL;
  CHECK(GetAce(dacl, index, &ace));
  return (const ACCESS_ALLOWED_ACE *)ace;
}

// SID S-1-<authority>-<first>-<second>.
bool SidIs(const ACCESS_ALLOWED_ACE *ace, BYTE authority, DWORD first, DWORD second) {
  const SID *sid = (const SID *)&ace->SidStart;
  return sid->Revision == 1 && sid->SubAuthorityCount == 2 && sid->IdentifierAuthority.Value[5] == authority &&
         sid->SubAuthority[0] == first && sid->SubAuthority[1] == second;
}

}  // namespace

CONFORMANCE_CHECK(SddlWithoutBlanksGivesTheThreeDirectoryEntries) {
  PSECURITY_DESCRIPTOR descriptor;
  PACL dacl = ConvertedDacl(kCompactSddl, &descriptor);
  if (!dacl) return;
  CHECK_EQ(dacl->AceCount, 3);
  const ACCESS_ALLOWED_ACE *packages = EntryAt(dacl, 0), *users = EntryAt(dacl, 1), *admins = EntryAt(dacl, 2);
  CHECK_EQ(packages->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
  CHECK_EQ(packages->Header.AceFlags, kOiCi);
  CHECK_EQ(packages->Mask, GENERIC_ALL);
  CHECK(SidIs(packages, 15, 2, 1));
  CHECK_EQ(users->Mask, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE);
  CHECK_EQ(admins->Header.AceFlags, kOiCi);
  CHECK(SidIs(admins, 5, 32, 544));
  LocalFree((HLOCAL)descriptor);
}

// Windows skips the blanks between the entries and keeps all three (the
// Windows API answers so in Samba's SDDL tests); Wine's parser stops at the
// first blank and keeps only the first entry. Under Wine the directory is
// therefore created with application packages alone.
CONFORMANCE_CHECK(SddlWithBlanksBetweenEntriesKeepsThreeOnWindowsAndOneUnderWine) {
  PSECURITY_DESCRIPTOR descriptor;
  PACL dacl = ConvertedDacl(kDirectorySddl, &descriptor);
  if (!dacl) return;
  CHECK_EQ(dacl->AceCount, conformance::RunningUnderWine() ? 1 : 3);
  CHECK(SidIs(EntryAt(dacl, 0), 15, 2, 1));
  LocalFree((HLOCAL)descriptor);
}

CONFORMANCE_CHECK(GrantToTheUserByNameAddsOneInheritableEntry) {
  char user[198] = {0};
  DWORD size = sizeof user;
  CHECK(GetUserNameA(user, &size));
  PSECURITY_DESCRIPTOR descriptor;
  PACL dacl = ConvertedDacl(kCompactSddl, &descriptor);
  if (!dacl) return;
  EXPLICIT_ACCESS_A access;
  BuildExplicitAccessWithNameA(&access, user, GENERIC_ALL, GRANT_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT);
  CHECK_EQ(access.Trustee.TrusteeForm, TRUSTEE_IS_NAME);
  PACL granted = NULL;
  CHECK_EQ(SetEntriesInAclA(1, &access, dacl, &granted), ERROR_SUCCESS);
  CHECK(granted != NULL);
  if (!granted) return;
  CHECK_EQ(granted->AceCount, 4);
  int grants = 0;
  for (DWORD i = 0; i < granted->AceCount; ++i) {
    const ACCESS_ALLOWED_ACE *entry = EntryAt(granted, i);
    grants += entry->Mask == GENERIC_ALL && entry->Header.AceFlags == kOiCi && !SidIs(entry, 15, 2, 1) &&
              !SidIs(entry, 5, 32, 544);
  }
  CHECK_EQ(grants, 1);
  LocalFree((HLOCAL)granted);
  LocalFree((HLOCAL)descriptor);
}

// The error differs: Wine answers ERROR_INVALID_PARAMETER, the simulation
// passes on the name lookup's ERROR_NONE_MAPPED. The program only tells
// success from failure.
CONFORMANCE_CHECK(UnknownTrusteeFailsWithoutAnAcl) {
  EXPLICIT_ACCESS_A access;
  BuildExplicitAccessWithNameA(&access, (LPSTR) "no-such-account-4711", GENERIC_ALL, GRANT_ACCESS,
                               SUB_CONTAINERS_AND_OBJECTS_INHERIT);
  PACL granted = (PACL)1;
  CHECK(SetEntriesInAclA(1, &access, NULL, &granted) != ERROR_SUCCESS);
  CHECK(granted == NULL);
}

// The directory's settings as the program makes them: creation with the
// descriptor, then the user's grant read and written by name. (Wine keeps
// only mode bits of a directory's DACL, so what it reads back is not
// compared here.)
CONFORMANCE_CHECK(DirectoryCreatedWithTheDescriptorTakesTheUsersGrant) {
  char path[MAX_PATH];
  conformance::ScratchPath(path, "secured");
  RemoveDirectoryA(path);
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, NULL, FALSE};
  CHECK(ConvertStringSecurityDescriptorToSecurityDescriptorA(kDirectorySddl, SDDL_REVISION_1,
                                                             &attributes.lpSecurityDescriptor, NULL));
  CHECK(CreateDirectoryA(path, &attributes));
  LocalFree((HLOCAL)attributes.lpSecurityDescriptor);
  PACL current = NULL;
  PSECURITY_DESCRIPTOR descriptor = NULL;
  CHECK_EQ(
      GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, &current, NULL, &descriptor),
      ERROR_SUCCESS);
  CHECK(current != NULL && descriptor != NULL);
  char user[198] = {0};
  DWORD size = sizeof user;
  GetUserNameA(user, &size);
  EXPLICIT_ACCESS_A access;
  BuildExplicitAccessWithNameA(&access, user, GENERIC_ALL, GRANT_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT);
  PACL granted = NULL;
  CHECK_EQ(SetEntriesInAclA(1, &access, current, &granted), ERROR_SUCCESS);
  CHECK_EQ(SetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, granted, NULL),
           ERROR_SUCCESS);
  LocalFree((HLOCAL)granted);
  LocalFree((HLOCAL)descriptor);
  CHECK(RemoveDirectoryA(path));
  CHECK_EQ(
      GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, &current, NULL, &descriptor),
      ERROR_FILE_NOT_FOUND);
}

// The command interpreter starts; a program it cannot find is reported on
// standard error (sent to nul here), so the pipe gives no line.
CONFORMANCE_CHECK(PipeOfAnUnknownCommandGivesNoLines) {
  FILE *pipe = _popen("no_such_tool_4711.exe /x 2>nul", "rt");
  CHECK(pipe != NULL);
  if (!pipe) return;
  char line[128];
  CHECK(fgets(line, sizeof line, pipe) == NULL);
  _pclose(pipe);
}
