// Reading DACLs and icacls listings on the simulated machine through the same
// calls the program uses.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace security_fixtures {

struct Entry {
  int type;
  int flags;
  DWORD mask;
  std::string sid;

  bool operator==(const Entry &other) const {
    return type == other.type && flags == other.flags && mask == other.mask && sid == other.sid;
  }
};

inline std::ostream &operator<<(std::ostream &out, const Entry &entry) {
  return out << "{" << entry.type << ", 0x" << std::hex << entry.flags << ", 0x" << entry.mask << std::dec << ", "
             << entry.sid << "}";
}

inline std::string SidText(const SID *sid) {
  unsigned long long authority = 0;
  for (BYTE byte : sid->IdentifierAuthority.Value) authority = (authority << 8) | byte;
  std::string text = "S-" + std::to_string(sid->Revision) + "-" + std::to_string(authority);
  for (int i = 0; i < sid->SubAuthorityCount; ++i) text += "-" + std::to_string(sid->SubAuthority[i]);
  return text;
}

inline std::vector<Entry> EntriesOf(PACL acl) {
  std::vector<Entry> entries;
  for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
    void *ace = nullptr;
    EXPECT_TRUE(GetAce(acl, i, &ace));
    const ACCESS_ALLOWED_ACE *allowed = static_cast<const ACCESS_ALLOWED_ACE *>(ace);
    entries.push_back({allowed->Header.AceType, allowed->Header.AceFlags, allowed->Mask,
                       SidText(reinterpret_cast<const SID *>(&allowed->SidStart))});
  }
  return entries;
}

// The DACL of a file or folder as GetNamedSecurityInfoA gives it.
inline std::vector<Entry> DaclOf(const std::string &path) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  EXPECT_EQ(GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                  nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS))
      << path;
  std::vector<Entry> entries = EntriesOf(dacl);
  LocalFree((HLOCAL)descriptor);
  return entries;
}

// Everything a command prints, read through the C runtime's pipe as the
// program reads it.
inline std::string PipeOutput(const std::string &command, const char *mode = "rt") {
  FILE *pipe = _popen(command.c_str(), mode);
  EXPECT_NE(pipe, nullptr) << command;
  if (!pipe) return "";
  std::string text;
  char line[128];
  while (fgets(line, sizeof line, pipe)) text += line;
  EXPECT_EQ(_pclose(pipe), 0);
  return text;
}

const char kUserSid[] = "S-1-5-21-1004336348-1177238915-682003330-1001";
const char kAppPackagesSid[] = "S-1-15-2-1";
const char kAuthenticatedUsersSid[] = "S-1-5-11";
const char kAdministratorsSid[] = "S-1-5-32-544";
const char kAppPackagesFullLine[] = "APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(OI)(CI)(F)";

}  // namespace security_fixtures
