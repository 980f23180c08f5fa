// Windows' binary layout of SIDs, ACLs and self-relative security
// descriptors, written into LocalAlloc blocks the program frees with
// LocalFree, and read back from what the program passes in.
#include <cstdlib>
#include <cstring>

#include "security_model.h"
#include "simwin/windows.h"

namespace sim {
namespace {

const size_t kDescriptorHeaderSize = 20;  // SECURITY_DESCRIPTOR_RELATIVE
const size_t kAclHeaderSize = sizeof(ACL);
const size_t kEntryHeaderSize = 8;  // ACE_HEADER and the mask

void Put16(std::string *out, uint32_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string *out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

uint32_t Get16(const uint8_t *at) { return at[0] | (at[1] << 8); }
uint32_t Get32(const uint8_t *at) { return Get16(at) | (Get16(at + 2) << 16); }

// "S-1-5-32-544": revision, 48-bit authority (big-endian), subauthorities.
std::string SidBytes(const std::string &text) {
  std::vector<unsigned long long> parts;
  for (size_t at = 2;;) {
    parts.push_back(std::strtoull(text.c_str() + at, nullptr, 10));
    const size_t dash = text.find('-', at);
    if (dash == std::string::npos) break;
    at = dash + 1;
  }
  std::string out;
  out.push_back(static_cast<char>(parts[0]));
  out.push_back(static_cast<char>(parts.size() > 2 ? parts.size() - 2 : 0));
  const unsigned long long authority = parts.size() > 1 ? parts[1] : 0;
  for (int shift = 40; shift >= 0; shift -= 8) out.push_back(static_cast<char>((authority >> shift) & 0xFF));
  for (size_t i = 2; i < parts.size(); ++i) Put32(&out, static_cast<uint32_t>(parts[i]));
  return out;
}

std::string AclBytes(const AccessList &list) {
  std::string entries;
  for (const AccessEntry &entry : list.entries) {
    const std::string sid = SidBytes(entry.sid);
    entries.push_back(static_cast<char>(entry.type));
    entries.push_back(static_cast<char>(entry.flags));
    Put16(&entries, static_cast<uint32_t>(kEntryHeaderSize + sid.size()));
    Put32(&entries, entry.mask);
    entries += sid;
  }
  std::string out;
  out.push_back(ACL_REVISION);
  out.push_back(0);
  Put16(&out, static_cast<uint32_t>(kAclHeaderSize + entries.size()));
  Put16(&out, static_cast<uint32_t>(list.entries.size()));
  Put16(&out, 0);
  return out + entries;
}

void *CopyToLocalBlock(const std::string &bytes) {
  void *block = LocalAlloc(LMEM_FIXED, bytes.size());
  if (block) std::memcpy(block, bytes.data(), bytes.size());
  return block;
}

// A SID of `available` bytes at most; its size in `size`.
bool ReadSidBytes(const uint8_t *at, size_t available, std::string *text, size_t *size) {
  if (available < 8 || at[0] != 1 || at[1] > 15) return false;
  *size = 8 + 4 * static_cast<size_t>(at[1]);
  if (*size > available) return false;
  unsigned long long authority = 0;
  for (int i = 2; i < 8; ++i) authority = (authority << 8) | at[i];
  *text = "S-1-" + std::to_string(authority);
  for (int i = 0; i < at[1]; ++i) *text += "-" + std::to_string(Get32(at + 8 + 4 * i));
  return true;
}

}  // namespace

void *NewDescriptorBlock(const Descriptor &descriptor, uint32_t *size) {
  std::string owner = descriptor.owner.empty() ? "" : SidBytes(descriptor.owner);
  std::string group = descriptor.group.empty() ? "" : SidBytes(descriptor.group);
  std::string dacl = descriptor.hasDacl ? AclBytes(descriptor.dacl) : "";
  uint32_t control = SE_SELF_RELATIVE;
  if (descriptor.hasDacl) control |= SE_DACL_PRESENT;
  if (descriptor.dacl.isProtected) control |= SE_DACL_PROTECTED;
  for (const AccessEntry &entry : descriptor.dacl.entries)
    if (entry.flags & INHERITED_ACE) control |= SE_DACL_AUTO_INHERITED;
  const uint32_t ownerAt = owner.empty() ? 0 : kDescriptorHeaderSize;
  const uint32_t groupAt = group.empty() ? 0 : static_cast<uint32_t>(kDescriptorHeaderSize + owner.size());
  const uint32_t daclAt = dacl.empty() ? 0 : static_cast<uint32_t>(kDescriptorHeaderSize + owner.size() + group.size());
  std::string out;
  out.push_back(1);  // SECURITY_DESCRIPTOR_REVISION
  out.push_back(0);
  Put16(&out, control);
  Put32(&out, ownerAt);
  Put32(&out, groupAt);
  Put32(&out, 0);  // no SACL
  Put32(&out, daclAt);
  out += owner + group + dacl;
  if (size) *size = static_cast<uint32_t>(out.size());
  return CopyToLocalBlock(out);
}

void *NewAclBlock(const AccessList &list) { return CopyToLocalBlock(AclBytes(list)); }

bool ReadAcl(const void *acl, AccessList *list) {
  const uint8_t *bytes = static_cast<const uint8_t *>(acl);
  if (!bytes || (bytes[0] != ACL_REVISION && bytes[0] != 4)) return false;
  const size_t size = Get16(bytes + 2), count = Get16(bytes + 4);
  list->entries.clear();
  size_t at = kAclHeaderSize;
  for (size_t i = 0; i < count; ++i) {
    if (at + kEntryHeaderSize > size) return false;
    const size_t entrySize = Get16(bytes + at + 2);
    AccessEntry entry;
    entry.type = bytes[at];
    entry.flags = bytes[at + 1];
    entry.mask = Get32(bytes + at + 4);
    size_t sidSize = 0;
    if (entrySize < kEntryHeaderSize || at + entrySize > size) return false;
    if (entry.type > ACCESS_DENIED_ACE_TYPE) return false;  // other entry types are not modelled
    if (!ReadSidBytes(bytes + at + kEntryHeaderSize, entrySize - kEntryHeaderSize, &entry.sid, &sidSize)) return false;
    list->entries.push_back(entry);
    at += entrySize;
  }
  return true;
}

bool ReadDescriptorDacl(const void *descriptor, bool *present, AccessList *dacl) {
  const uint8_t *bytes = static_cast<const uint8_t *>(descriptor);
  if (!bytes || bytes[0] != 1) return false;
  const uint32_t control = Get16(bytes + 2);
  if (!(control & SE_SELF_RELATIVE)) return false;  // absolute descriptors are not modelled
  const uint32_t daclAt = Get32(bytes + 16);
  *present = (control & SE_DACL_PRESENT) && daclAt != 0;
  *dacl = AccessList();
  dacl->isProtected = (control & SE_DACL_PROTECTED) != 0;
  return !*present || ReadAcl(bytes + daclAt, dacl);
}

bool ReadSid(const void *sid, std::string *text) {
  size_t size = 0;
  return sid && ReadSidBytes(static_cast<const uint8_t *>(sid), 8 + 4 * 15, text, &size);
}

}  // namespace sim
