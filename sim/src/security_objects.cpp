// The DACL a file or folder carries: what its creator or SetNamedSecurityInfo
// gave it, the preset one of a drive root and of the system's own folders,
// and what a folder passes down to what lies in it, by Windows' inheritance
// rules (generic rights mapped to file rights where an entry takes effect,
// CREATOR OWNER replaced by the new object's owner).
#include "security_model.h"
#include "simmachine/code_page.h"
#include "simmachine/machine.h"
#include "simwin/windows.h"

namespace sim {
namespace {

const char kCreatorOwnerSid[] = "S-1-3-0";
const char kTrustedInstaller[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
const uint32_t kGenericRights = GENERIC_ALL | GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE;

uint32_t MapGeneric(uint32_t mask) {
  uint32_t out = mask & ~kGenericRights;
  if (mask & GENERIC_READ) out |= FILE_GENERIC_READ;
  if (mask & GENERIC_WRITE) out |= FILE_GENERIC_WRITE;
  if (mask & GENERIC_EXECUTE) out |= FILE_GENERIC_EXECUTE;
  if (mask & GENERIC_ALL) out |= FILE_ALL_ACCESS;
  return out;
}

// The entries given to an object for itself: inherited ones are not the
// giver's to set, and generic rights of the entries that apply to the object
// are mapped; inherit-only entries keep theirs for the objects below.
std::vector<AccessEntry> ExplicitEntries(const AccessList &given) {
  std::vector<AccessEntry> out;
  for (AccessEntry entry : given.entries) {
    if (entry.flags & INHERITED_ACE) continue;
    if (!(entry.flags & INHERIT_ONLY_ACE)) entry.mask = MapGeneric(entry.mask);
    out.push_back(entry);
  }
  return out;
}

// What a folder with `parent` passes down to a new folder (`container`) or
// file in it. An entry whose effect on the child needs mapping is split in
// two for a folder: the mapped effective entry, and the entry as it was,
// inherit-only, for the next generation.
std::vector<AccessEntry> PassedDown(const AccessList &parent, bool container, const std::string &owner) {
  std::vector<AccessEntry> out;
  for (const AccessEntry &entry : parent.entries) {
    const bool objects = entry.flags & OBJECT_INHERIT_ACE, containers = entry.flags & CONTAINER_INHERIT_ACE;
    const bool last = entry.flags & NO_PROPAGATE_INHERIT_ACE;
    AccessEntry effective = entry;
    effective.flags = INHERITED_ACE;
    effective.mask = MapGeneric(entry.mask);
    if (entry.sid == kCreatorOwnerSid) effective.sid = owner;
    if (!container) {
      if (objects) out.push_back(effective);
      continue;
    }
    AccessEntry inheritable = entry;
    inheritable.flags =
        static_cast<uint8_t>((entry.flags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) | INHERITED_ACE);
    if (containers) {
      const bool mapped = effective.mask != entry.mask || effective.sid != entry.sid;
      if (last || mapped) out.push_back(effective);
      if (mapped) inheritable.flags |= INHERIT_ONLY_ACE;
      if (!last) out.push_back(inheritable);
    } else if (objects && !last) {
      inheritable.flags |= INHERIT_ONLY_ACE;
      out.push_back(inheritable);
    }
  }
  return out;
}

AccessList FromSddl(const std::string &text) {
  Descriptor descriptor;
  ParseSddl(text, nullptr, &descriptor);
  return descriptor.dacl;
}

// Windows 10's C:\ (the mandatory label left out).
AccessList RootDacl() {
  return FromSddl("D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)(A;OICIIO;0x1301bf;;;AU)(A;;0x4;;;AU)");
}

// Program Files and the Windows folder: owned by TrustedInstaller from
// Windows 6 on, readable by application packages from 6.2 on and by
// restricted ones on 10.
AccessList SystemFolderDacl(const Profile &profile) {
  if (profile.major < 6) return FromSddl("D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)");
  std::string text = std::string("D:P(A;;FA;;;") + kTrustedInstaller + ")(A;CIIO;GA;;;" + kTrustedInstaller +
                     ")(A;;0x1301bf;;;SY)(A;OICIIO;GA;;;SY)(A;;0x1301bf;;;BA)(A;OICIIO;GA;;;BA)"
                     "(A;;0x1200a9;;;BU)(A;OICIIO;GRGX;;;BU)(A;OICIIO;GA;;;CO)";
  const unsigned version = profile.major * 10 + profile.minor;
  if (version >= 62) text += "(A;;0x1200a9;;;S-1-15-2-1)(A;OICIIO;GRGX;;;S-1-15-2-1)";
  if (version >= 100) text += "(A;;0x1200a9;;;S-1-15-2-2)(A;OICIIO;GRGX;;;S-1-15-2-2)";
  return FromSddl(text);
}

bool SamePath(const std::string &a, const std::string &b) {
  return !b.empty() && EqualNoCase(Utf8ToUtf16(a), Utf8ToUtf16(b));
}

bool IsSystemFolder(const std::string &path, const Profile &profile) {
  return SamePath(path, profile.programFilesDir) || SamePath(path, profile.programFilesX86Dir) ||
         SamePath(path, profile.windowsDir);
}

// "C:\a\b" -> "C:\a", "C:\a" -> "C:\", "C:\" -> "".
std::string ParentOf(const std::string &path) {
  const size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos || slash + 1 == path.size()) return "";
  return slash == 2 ? path.substr(0, 3) : path.substr(0, slash);
}

}  // namespace

AccessList CreatedWithDacl(const AccessList &given) {
  AccessList out;
  out.isProtected = given.isProtected;
  out.entries = ExplicitEntries(given);
  return out;
}

AccessList ReplacedDacl(const Machine &machine, const std::string &path, bool directory, const AccessList &given,
                        int protection) {
  AccessList out = CreatedWithDacl(given);
  out.isProtected = protection < 0 ? EffectiveDacl(machine, path, directory).isProtected : protection == 1;
  const std::string parent = ParentOf(path);
  if (out.isProtected || parent.empty()) return out;
  std::vector<AccessEntry> inherited =
      PassedDown(EffectiveDacl(machine, parent, true), directory, NewObjectOwnerSid(machine.profile));
  out.entries.insert(out.entries.end(), inherited.begin(), inherited.end());
  return out;
}

void KeepInheritedDacl(Machine &machine, const std::u16string &path) {
  std::string found;
  bool directory = false;
  if (machine.files.LocateObject(path, &found, &directory) != 0) return;
  machine.files.SetSecurityOf(found, FormatDaclSddl(EffectiveDacl(machine, found, directory)));
}

AccessList EffectiveDacl(const Machine &machine, const std::string &path, bool directory) {
  const std::string stored = machine.files.SecurityOf(path);
  if (!stored.empty()) return FromSddl(stored);
  const std::string parent = ParentOf(path);
  if (parent.empty()) return RootDacl();
  if (IsSystemFolder(path, machine.profile)) return SystemFolderDacl(machine.profile);
  AccessList out;
  out.entries = PassedDown(EffectiveDacl(machine, parent, true), directory, NewObjectOwnerSid(machine.profile));
  return out;
}

}  // namespace sim
