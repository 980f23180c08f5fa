// The security model behind the simulated security calls and icacls: access
// entries whose SIDs are kept as text, the SDDL text form, Windows' binary
// layout, account names, and how the DACL a file or folder carries comes
// about (what it was given, what its folder passes down).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

class Machine;
struct Profile;

struct AccessEntry {
  uint8_t type = 0;   // ACCESS_ALLOWED_ACE_TYPE or ACCESS_DENIED_ACE_TYPE
  uint8_t flags = 0;  // OBJECT_INHERIT_ACE ... INHERITED_ACE
  uint32_t mask = 0;
  std::string sid;  // "S-1-5-32-544"
};

struct AccessList {
  bool isProtected = false;  // SE_DACL_PROTECTED: takes nothing from the folder above
  std::vector<AccessEntry> entries;
};

// What an SDDL string or a binary descriptor holds.
struct Descriptor {
  std::string owner, group;  // SID text, "" when absent
  bool hasDacl = false;
  AccessList dacl;
};

// ---- SDDL (security_sddl.cpp) ----

// Parses SDDL with Windows' tolerance of blanks: before and after the parts,
// after "D:", around the DACL flags, between entries and before most entry
// fields. SID tokens are those `profile`'s Windows knows ("AC" from 6.2 on);
// a null profile knows all. Returns 0 or the Win32 error Windows gives
// (ERROR_INVALID_ACL for a bad entry, ERROR_INVALID_PARAMETER otherwise).
uint32_t ParseSddl(const std::string &text, const Profile *profile, Descriptor *descriptor);
// The DACL as SDDL ("D:P(A;OICI;FA;;;BA)..."), readable and version-proof:
// tokens only for SIDs every Windows knows.
std::string FormatDaclSddl(const AccessList &dacl);

// ---- Binary layout (security_binary.cpp) ----

// The self-relative descriptor of `descriptor`, in a block from LocalAlloc.
void *NewDescriptorBlock(const Descriptor &descriptor, uint32_t *size);
// An ACL in a block from LocalAlloc.
void *NewAclBlock(const AccessList &list);
// Reads an ACL as Windows lays it out; false for one that is not valid.
bool ReadAcl(const void *acl, AccessList *list);
// Reads the DACL of a self-relative descriptor; false for one that is not
// valid. `present` tells whether it has a DACL at all.
bool ReadDescriptorDacl(const void *descriptor, bool *present, AccessList *dacl);
// Reads a binary SID as text; false when it is not valid.
bool ReadSid(const void *sid, std::string *text);

// ---- Accounts (security_accounts.cpp) ----

// The SID an SDDL token names on this Windows, "" if it names none.
std::string SidOfToken(const std::string &token, const Profile *profile);
// The token of a SID that every Windows knows, "" if none.
std::string TokenOfSid(const std::string &sid);
// The SID of an account name as LookupAccountName finds it ("user",
// "PC\user", "BUILTIN\Administrators", "CURRENT_USER", ...), "" if none.
std::string SidOfAccountName(const std::string &name, const Profile &profile);
// "DOMAIN\name" as icacls prints it; the SID text for an unknown account.
std::string AccountNameOfSid(const std::string &sid, const Profile &profile);
// The owner Windows gives a new file: the Administrators group for an
// administrator, else the user.
std::string NewObjectOwnerSid(const Profile &profile);

// ---- Files and folders (security_objects.cpp, security_api.cpp) ----

// The DACL a folder created with the self-relative `descriptor` carries of
// its own, as SDDL ("" for none: no descriptor, no DACL in it, or Windows 9x);
// false for a descriptor that is not valid.
bool SecurityOfNewFolder(const void *descriptor, std::string *security);
// Fixes on a folder just created without a DACL of its own what its folder
// passes down at this moment, as Windows copies inherited entries at
// creation.
void KeepInheritedDacl(Machine &machine, const std::u16string &path);

// What a folder (or file) created with `given` carries: its explicit entries
// with generic rights mapped to file rights. Windows takes nothing from the
// folder above at creation when the creator gives a DACL.
AccessList CreatedWithDacl(const AccessList &given);
// What SetNamedSecurityInfo leaves on the object at `path`: the explicit
// entries of `given` (generic rights mapped), then, unless protected, what
// the folder above passes down. `protection` is 1 to protect, 0 to lift the
// protection, -1 to keep the object's own.
AccessList ReplacedDacl(const Machine &machine, const std::string &path, bool directory, const AccessList &given,
                        int protection);
// The DACL the object at `path` (a Windows path as the file system spells
// it) carries: its own, a system folder's preset one, or what the folder
// above passes down.
AccessList EffectiveDacl(const Machine &machine, const std::string &path, bool directory);

}  // namespace sim
