// The accounts the simulated machine knows: well-known SIDs with their SDDL
// tokens and names (English names; a Chinese Windows localises some of
// them), and the machine's one user.
#include "security_model.h"
#include "simmachine/code_page.h"
#include "simmachine/profile.h"

namespace sim {
namespace {

// The machine's name, the domain of its local accounts.
const char kComputerName[] = "DESKTOP-SIM";
const char kUserSid[] = "S-1-5-21-1004336348-1177238915-682003330-1001";
const char kAdministratorsSid[] = "S-1-5-32-544";

struct Account {
  const char *token;  // SDDL token, "" for none
  const char *sid;
  const char *domain;
  const char *name;
  unsigned since;  // first Windows version (major * 10 + minor) that has it
};

const Account kAccounts[] = {
    {"WD", "S-1-1-0", "", "Everyone", 0},
    {"CO", "S-1-3-0", "", "CREATOR OWNER", 0},
    {"CG", "S-1-3-1", "", "CREATOR GROUP", 0},
    {"IU", "S-1-5-4", "NT AUTHORITY", "INTERACTIVE", 0},
    {"AU", "S-1-5-11", "NT AUTHORITY", "Authenticated Users", 0},
    {"SY", "S-1-5-18", "NT AUTHORITY", "SYSTEM", 0},
    {"BA", kAdministratorsSid, "BUILTIN", "Administrators", 0},
    {"BU", "S-1-5-32-545", "BUILTIN", "Users", 0},
    {"", "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", "NT SERVICE", "TrustedInstaller", 60},
    {"AC", "S-1-15-2-1", "APPLICATION PACKAGE AUTHORITY", "ALL APPLICATION PACKAGES", 62},
    {"", "S-1-15-2-2", "APPLICATION PACKAGE AUTHORITY", "ALL RESTRICTED APPLICATION PACKAGES", 100},
};

unsigned VersionOf(const Profile &profile) { return profile.major * 10 + profile.minor; }

bool SameName(const std::string &a, const std::string &b) { return EqualNoCase(Utf8ToUtf16(a), Utf8ToUtf16(b)); }

std::string Qualified(const std::string &domain, const std::string &name) {
  return domain.empty() ? name : domain + "\\" + name;
}

}  // namespace

std::string SidOfToken(const std::string &token, const Profile *profile) {
  for (const Account &account : kAccounts)
    if (token == account.token && (!profile || VersionOf(*profile) >= account.since)) return account.sid;
  return "";
}

std::string TokenOfSid(const std::string &sid) {
  for (const Account &account : kAccounts)
    if (sid == account.sid && account.since == 0) return account.token;
  return "";
}

std::string SidOfAccountName(const std::string &name, const Profile &profile) {
  if (name == "CURRENT_USER" || SameName(name, profile.userName) ||
      SameName(name, Qualified(kComputerName, profile.userName)))
    return kUserSid;
  for (const Account &account : kAccounts) {
    if (VersionOf(profile) < account.since) continue;
    if (SameName(name, account.name) || SameName(name, Qualified(account.domain, account.name))) return account.sid;
  }
  return "";
}

std::string AccountNameOfSid(const std::string &sid, const Profile &profile) {
  if (sid == kUserSid) return Qualified(kComputerName, profile.userName);
  for (const Account &account : kAccounts)
    if (sid == account.sid) return Qualified(account.domain, account.name);
  return sid;
}

std::string NewObjectOwnerSid(const Profile &profile) { return profile.administrator ? kAdministratorsSid : kUserSid; }

}  // namespace sim
