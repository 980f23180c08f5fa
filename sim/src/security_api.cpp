// ADVAPI32's security calls on the simulated machine: the SDDL conversion,
// reading descriptors and ACLs, the explicit-access helpers and the DACL of
// files and folders by name. Windows 9x has none of them
// (ERROR_CALL_NOT_IMPLEMENTED). The by-name calls return their error; the
// others set the thread's last error, as on Windows.
#include "api_support.h"
#include "security_model.h"

using sim::M;

namespace {

const DWORD kValidEntryFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | NO_PROPAGATE_INHERIT_ACE | INHERIT_ONLY_ACE;

bool SecurityAvailable() { return M().profile.family == sim::Family::NT; }

BOOL Fail(DWORD error) {
  sim::SetError(error);
  return FALSE;
}

bool IsExplicitFor(const sim::AccessEntry &entry, const std::string &sid) {
  return !(entry.flags & INHERITED_ACE) && entry.sid == sid;
}

// Explicit denials come first in a DACL; a new grant goes right behind them.
size_t GrantPosition(const sim::AccessList &list) {
  size_t at = 0;
  while (at < list.entries.size() && list.entries[at].type == ACCESS_DENIED_ACE_TYPE &&
         !(list.entries[at].flags & INHERITED_ACE))
    ++at;
  return at;
}

void RemoveExplicit(sim::AccessList *list, const std::string &sid) {
  auto &entries = list->entries;
  for (auto it = entries.begin(); it != entries.end();) it = IsExplicitFor(*it, sid) ? entries.erase(it) : it + 1;
}

// One explicit-access entry applied as SetEntriesInAcl does: a grant adds its
// rights to an allowing entry of the trustee with the same inheritance, or
// becomes a new one.
DWORD ApplyEntry(const EXPLICIT_ACCESS_A &access, const std::string &sid, sim::AccessList *list) {
  sim::AccessEntry entry;
  entry.sid = sid;
  entry.mask = access.grfAccessPermissions;
  entry.flags = static_cast<uint8_t>(access.grfInheritance & kValidEntryFlags);
  switch (access.grfAccessMode) {
    case GRANT_ACCESS:
      for (sim::AccessEntry &existing : list->entries) {
        if (IsExplicitFor(existing, sid) && existing.type == ACCESS_ALLOWED_ACE_TYPE && existing.flags == entry.flags) {
          existing.mask |= entry.mask;
          return ERROR_SUCCESS;
        }
      }
      list->entries.insert(list->entries.begin() + GrantPosition(*list), entry);
      return ERROR_SUCCESS;
    case SET_ACCESS:
      RemoveExplicit(list, sid);
      list->entries.insert(list->entries.begin() + GrantPosition(*list), entry);
      return ERROR_SUCCESS;
    case DENY_ACCESS:
      entry.type = ACCESS_DENIED_ACE_TYPE;
      list->entries.insert(list->entries.begin(), entry);
      return ERROR_SUCCESS;
    case REVOKE_ACCESS:
      RemoveExplicit(list, sid);
      return ERROR_SUCCESS;
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

DWORD TrusteeSid(const TRUSTEE_A &trustee, std::string *sid) {
  if (trustee.MultipleTrusteeOperation != NO_MULTIPLE_TRUSTEE || !trustee.ptstrName) return ERROR_INVALID_PARAMETER;
  if (trustee.TrusteeForm == TRUSTEE_IS_SID) return sim::ReadSid(trustee.ptstrName, sid) ? 0 : ERROR_INVALID_SID;
  if (trustee.TrusteeForm != TRUSTEE_IS_NAME) return ERROR_INVALID_PARAMETER;
  *sid = sim::SidOfAccountName(sim::AnsiToUtf8(trustee.ptstrName), M().profile);
  return sid->empty() ? ERROR_NONE_MAPPED : 0;
}

std::u16string PathArgument(LPCSTR path) { return sim::CodePageToUtf16(sim::AnsiCodePage(), path); }

}  // namespace

namespace sim {

bool SecurityOfNewFolder(const void *descriptor, std::string *security) {
  security->clear();
  if (!descriptor || !SecurityAvailable()) return true;
  bool present = false;
  AccessList dacl;
  if (!ReadDescriptorDacl(descriptor, &present, &dacl)) return false;
  if (present) *security = FormatDaclSddl(CreatedWithDacl(dacl));
  return true;
}

}  // namespace sim

BOOL ConvertStringSecurityDescriptorToSecurityDescriptorA(LPCSTR text, DWORD revision, PSECURITY_DESCRIPTOR *descriptor,
                                                          PULONG size) {
  if (!SecurityAvailable()) return Fail(ERROR_CALL_NOT_IMPLEMENTED);
  if (!text || !descriptor) return Fail(ERROR_INVALID_PARAMETER);
  if (revision != SDDL_REVISION_1) return Fail(ERROR_UNKNOWN_REVISION);
  sim::Descriptor parsed;
  if (DWORD error = sim::ParseSddl(sim::AnsiToUtf8(text), &M().profile, &parsed)) return Fail(error);
  uint32_t bytes = 0;
  *descriptor = sim::NewDescriptorBlock(parsed, &bytes);
  if (size) *size = bytes;
  return TRUE;
}

BOOL GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, LPBOOL present, PACL *dacl, LPBOOL defaulted) {
  const BYTE *bytes = static_cast<const BYTE *>(descriptor);
  if (!bytes || !present || !dacl || !defaulted) return Fail(ERROR_INVALID_PARAMETER);
  const WORD control = static_cast<WORD>(bytes[2] | (bytes[3] << 8));
  if (bytes[0] != 1 || !(control & SE_SELF_RELATIVE)) return Fail(ERROR_INVALID_SECURITY_DESCR);
  DWORD offset = 0;
  for (int i = 3; i >= 0; --i) offset = (offset << 8) | bytes[16 + i];
  *present = (control & SE_DACL_PRESENT) != 0;
  *dacl = *present && offset ? reinterpret_cast<PACL>(const_cast<BYTE *>(bytes) + offset) : nullptr;
  *defaulted = (control & 0x0008) != 0;  // SE_DACL_DEFAULTED
  return TRUE;
}

BOOL GetAce(PACL acl, DWORD index, LPVOID *ace) {
  if (!acl || !ace || index >= acl->AceCount) return Fail(ERROR_INVALID_PARAMETER);
  BYTE *at = reinterpret_cast<BYTE *>(acl) + sizeof(ACL);
  for (DWORD i = 0; i < index; ++i) at += reinterpret_cast<ACE_HEADER *>(at)->AceSize;
  *ace = at;
  return TRUE;
}

DWORD GetNamedSecurityInfoA(LPCSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION information, PSID *owner,
                            PSID *group, PACL *dacl, PACL *sacl, PSECURITY_DESCRIPTOR *descriptor) {
  if (!SecurityAvailable()) return ERROR_CALL_NOT_IMPLEMENTED;
  if (!name || type != SE_FILE_OBJECT) return ERROR_INVALID_PARAMETER;
  if (!descriptor && (owner || group || dacl || sacl)) return ERROR_INVALID_PARAMETER;
  std::string path;
  bool directory = false;
  if (DWORD error = M().files.LocateObject(PathArgument(name), &path, &directory)) return error;
  sim::Descriptor found;
  found.hasDacl = (information & DACL_SECURITY_INFORMATION) != 0;
  if (found.hasDacl) found.dacl = sim::EffectiveDacl(M(), path, directory);
  for (PSID *none : {owner, group})
    if (none) *none = nullptr;
  if (sacl) *sacl = nullptr;
  if (!descriptor) return ERROR_SUCCESS;
  *descriptor = sim::NewDescriptorBlock(found, nullptr);
  BOOL present = FALSE, defaulted = FALSE;
  PACL inside = nullptr;
  GetSecurityDescriptorDacl(*descriptor, &present, &inside, &defaulted);
  if (dacl) *dacl = inside;
  return ERROR_SUCCESS;
}

// A null DACL (access for everyone) is refused with ERROR_INVALID_PARAMETER
// (narrower than Windows, which accepts it).
DWORD SetNamedSecurityInfoA(LPSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION information, PSID, PSID, PACL dacl,
                            PACL) {
  if (!SecurityAvailable()) return ERROR_CALL_NOT_IMPLEMENTED;
  if (!name || type != SE_FILE_OBJECT) return ERROR_INVALID_PARAMETER;
  if (!(information & DACL_SECURITY_INFORMATION)) return ERROR_SUCCESS;
  sim::AccessList given;
  if (!dacl) return ERROR_INVALID_PARAMETER;
  if (!sim::ReadAcl(dacl, &given)) return ERROR_INVALID_ACL;
  std::string path;
  bool directory = false;
  if (DWORD error = M().files.LocateObject(PathArgument(name), &path, &directory)) return error;
  const int protection = (information & PROTECTED_DACL_SECURITY_INFORMATION)     ? 1
                         : (information & UNPROTECTED_DACL_SECURITY_INFORMATION) ? 0
                                                                                 : -1;
  const std::string security = sim::FormatDaclSddl(sim::ReplacedDacl(M(), path, directory, given, protection));
  const DWORD error = M().files.SetSecurity(PathArgument(name), security);
  M().events.Add("security", {{"path", path}, {"dacl", security}, {"error", std::to_string(error)}});
  return error;
}

void BuildExplicitAccessWithNameA(PEXPLICIT_ACCESS_A access, LPSTR name, DWORD permissions, ACCESS_MODE mode,
                                  DWORD inheritance) {
  access->grfAccessPermissions = permissions;
  access->grfAccessMode = mode;
  access->grfInheritance = inheritance;
  access->Trustee.pMultipleTrustee = nullptr;
  access->Trustee.MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
  access->Trustee.TrusteeForm = TRUSTEE_IS_NAME;
  access->Trustee.TrusteeType = TRUSTEE_IS_UNKNOWN;
  access->Trustee.ptstrName = name;
}

DWORD SetEntriesInAclA(ULONG count, PEXPLICIT_ACCESS_A entries, PACL oldAcl, PACL *newAcl) {
  if (!newAcl) return ERROR_INVALID_PARAMETER;
  *newAcl = nullptr;
  if (!SecurityAvailable()) return ERROR_CALL_NOT_IMPLEMENTED;
  if (count == 0 && !oldAcl) return ERROR_SUCCESS;
  if (count > 0 && !entries) return ERROR_INVALID_PARAMETER;
  sim::AccessList list;
  if (oldAcl && !sim::ReadAcl(oldAcl, &list)) return ERROR_INVALID_ACL;
  for (ULONG i = 0; i < count; ++i) {
    std::string sid;
    if (DWORD error = TrusteeSid(entries[i].Trustee, &sid)) return error;
    if (DWORD error = ApplyEntry(entries[i], sid, &list)) return error;
  }
  *newAcl = static_cast<PACL>(sim::NewAclBlock(list));
  return ERROR_SUCCESS;
}
