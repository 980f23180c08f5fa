// SDDL, the text form of security descriptors: parsing with the tolerance
// Windows shows for blanks (checked against the Windows API by Samba's SDDL
// tests: "D:P(A;;GA;;;LG) (A;;GX;;;AA)" keeps both entries, "  O:AA  " is
// "O:AA"), and formatting a DACL for machine.ini.
#include <cstdio>
#include <cstdlib>

#include "security_model.h"
#include "simwin/windows.h"

namespace sim {
namespace {

// A name of two letters for a right or an entry flag.
struct Name {
  const char *text;
  uint32_t value;
};

const Name kRights[] = {
    {"GA", GENERIC_ALL},
    {"GR", GENERIC_READ},
    {"GW", GENERIC_WRITE},
    {"GX", GENERIC_EXECUTE},
    {"RC", READ_CONTROL},
    {"SD", DELETE},
    {"WD", 0x00040000},
    {"WO", 0x00080000},
    {"FA", FILE_ALL_ACCESS},
    {"FR", FILE_GENERIC_READ},
    {"FW", FILE_GENERIC_WRITE},
    {"FX", FILE_GENERIC_EXECUTE},
    {"KA", 0x000F003F},
    {"KR", 0x00020019},
    {"KW", 0x00020006},
    {"KX", 0x00020019},
    {"CC", 0x1},
    {"DC", 0x2},
    {"LC", 0x4},
    {"SW", 0x8},
    {"RP", 0x10},
    {"WP", 0x20},
    {"DT", 0x40},
    {"LO", 0x80},
    {"CR", 0x100},
};

const Name kFlags[] = {{"OI", OBJECT_INHERIT_ACE},
                       {"CI", CONTAINER_INHERIT_ACE},
                       {"NP", NO_PROPAGATE_INHERIT_ACE},
                       {"IO", INHERIT_ONLY_ACE},
                       {"ID", INHERITED_ACE}};

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
bool IsLetter(char c) { return (Upper(c) >= 'A' && Upper(c) <= 'Z'); }

// A walk over the text; every failure is one error code.
class Reader {
 public:
  Reader(const std::string &text, const Profile *profile) : text_(text), profile_(profile) {}

  uint32_t Descriptor(sim::Descriptor *out);

 private:
  char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
  bool Take(char c) { return Peek() == c ? (++at_, true) : false; }
  void SkipBlanks() {
    while (Peek() == ' ' || Peek() == '\t' || Peek() == '\r' || Peek() == '\n') ++at_;
  }
  std::string Pair() {
    std::string pair;
    if (at_ + 1 < text_.size() && IsLetter(text_[at_]) && IsLetter(text_[at_ + 1]))
      pair = {Upper(text_[at_]), Upper(text_[at_ + 1])};
    return pair;
  }

  bool Sid(std::string *sid, bool *token);
  bool NumericSid(std::string *sid);
  void AclFlags(AccessList *list);
  bool Entry(AccessEntry *entry);
  bool EntryType(AccessEntry *entry);
  template <size_t N>
  bool Names(const Name (&table)[N], uint32_t *value);
  bool EntryFlags(AccessEntry *entry);
  bool Rights(AccessEntry *entry);

  const std::string &text_;
  const Profile *profile_;
  size_t at_ = 0;
};

// "S-1-<authority>-<subauthority>...", each part decimal, octal or 0x hex,
// as text in decimal. Too large a part is cut to its largest value, as
// Windows does.
bool Reader::NumericSid(std::string *sid) {
  at_ += 2;
  std::string out = "S";
  int parts = 0;
  do {
    const char *start = text_.c_str() + at_;
    char *end = nullptr;
    unsigned long long value = std::strtoull(start, &end, 0);
    if (end == start) return false;
    at_ += static_cast<size_t>(end - start);
    const unsigned long long limit = parts == 1 ? 0xFFFFFFFFFFFFull : 0xFFFFFFFFull;
    out += "-" + std::to_string(value < limit ? value : limit);
    ++parts;
  } while (Take('-'));
  *sid = out;
  return parts >= 3 && parts <= 17 && out.compare(0, 4, "S-1-") == 0;
}

bool Reader::Sid(std::string *sid, bool *token) {
  *token = !(Upper(Peek()) == 'S' && at_ + 1 < text_.size() && text_[at_ + 1] == '-');
  if (!*token) return NumericSid(sid);
  std::string pair = Pair();
  if (pair.empty()) return false;
  *sid = SidOfToken(pair, profile_);
  at_ += 2;
  return !sid->empty();
}

void Reader::AclFlags(AccessList *list) {
  while (true) {
    if (Take('P')) {
      list->isProtected = true;
    } else if (text_.compare(at_, 2, "AR") == 0 || text_.compare(at_, 2, "AI") == 0) {
      at_ += 2;
    } else {
      return;
    }
  }
}

bool Reader::EntryType(AccessEntry *entry) {
  size_t start = at_;
  while (IsLetter(Peek())) ++at_;
  std::string type = text_.substr(start, at_ - start);
  if (type.size() != 1) return false;
  if (Upper(type[0]) == 'A')
    entry->type = ACCESS_ALLOWED_ACE_TYPE;
  else if (Upper(type[0]) == 'D')
    entry->type = ACCESS_DENIED_ACE_TYPE;
  else
    return false;
  return true;
}

// Names of `table` up to the next ';', their values combined into `value`.
template <size_t N>
bool Reader::Names(const Name (&table)[N], uint32_t *value) {
  while (Peek() != ';') {
    const std::string pair = Pair();
    const Name *found = nullptr;
    for (const Name &name : table)
      if (pair == name.text) found = &name;
    if (!found) return false;
    *value |= found->value;
    at_ += 2;
  }
  return true;
}

bool Reader::EntryFlags(AccessEntry *entry) {
  uint32_t flags = 0;
  if (!Names(kFlags, &flags)) return false;
  entry->flags = static_cast<uint8_t>(flags);
  return true;
}

// A number (hex, octal or decimal; too large a value sets every bit, as on
// Windows) or right names; nothing may follow before the separator.
bool Reader::Rights(AccessEntry *entry) {
  if (Peek() >= '0' && Peek() <= '9') {
    const char *start = text_.c_str() + at_;
    char *end = nullptr;
    unsigned long long value = std::strtoull(start, &end, 0);
    at_ += static_cast<size_t>(end - start);
    entry->mask = value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
    return Peek() == ';';
  }
  return Names(kRights, &entry->mask);
}

// "(type;flags;rights;object;inherited object;sid)". Blanks may come after
// '(' and after each ';', and before ')' behind a SID token.
bool Reader::Entry(AccessEntry *entry) {
  if (!Take('(')) return false;
  SkipBlanks();
  if (!EntryType(entry) || !Take(';')) return false;
  SkipBlanks();
  if (!EntryFlags(entry) || !Take(';')) return false;
  SkipBlanks();
  if (!Rights(entry) || !Take(';')) return false;
  for (int guid = 0; guid < 2; ++guid) {
    SkipBlanks();
    if (!Take(';')) return false;  // object entries are not modelled
  }
  SkipBlanks();
  bool token = false;
  if (!Sid(&entry->sid, &token)) return false;
  if (token) SkipBlanks();
  return Take(')');
}

uint32_t Reader::Descriptor(sim::Descriptor *out) {
  SkipBlanks();
  while (at_ < text_.size()) {
    char part = Peek();
    if ((part != 'O' && part != 'G' && part != 'D' && part != 'S') || at_ + 1 >= text_.size() || text_[at_ + 1] != ':')
      return ERROR_INVALID_PARAMETER;
    at_ += 2;
    SkipBlanks();
    bool token = false;
    if (part == 'O' && !Sid(&out->owner, &token)) return ERROR_INVALID_SID;
    if (part == 'G' && !Sid(&out->group, &token)) return ERROR_INVALID_SID;
    if (part == 'D' || part == 'S') {
      AccessList list;
      AclFlags(&list);
      SkipBlanks();
      while (Peek() == '(') {
        AccessEntry entry;
        if (!Entry(&entry)) return ERROR_INVALID_ACL;
        list.entries.push_back(entry);
        SkipBlanks();
      }
      // Audit entries are not modelled: a SACL must be empty.
      if (part == 'S' && !list.entries.empty()) return ERROR_INVALID_ACL;
      if (part == 'D') out->hasDacl = true, out->dacl = list;
    }
    SkipBlanks();
  }
  return 0;
}

std::string RightsText(uint32_t mask) {
  if (mask == FILE_ALL_ACCESS) return "FA";
  const uint32_t generic = GENERIC_ALL | GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE;
  if (mask != 0 && (mask & ~generic) == 0) {
    std::string text;
    for (const Name &right : kRights)
      if ((right.value & generic) && (mask & right.value)) text += right.text;
    return text;
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%x", mask);
  return hex;
}

}  // namespace

uint32_t ParseSddl(const std::string &text, const Profile *profile, Descriptor *descriptor) {
  *descriptor = Descriptor();
  return Reader(text, profile).Descriptor(descriptor);
}

std::string FormatDaclSddl(const AccessList &dacl) {
  std::string text = dacl.isProtected ? "D:P" : "D:";
  for (const AccessEntry &entry : dacl.entries) {
    text += entry.type == ACCESS_DENIED_ACE_TYPE ? "(D;" : "(A;";
    for (const Name &flag : kFlags)
      if (entry.flags & flag.value) text += flag.text;
    std::string token = TokenOfSid(entry.sid);
    text += ";" + RightsText(entry.mask) + ";;;" + (token.empty() ? entry.sid : token) + ")";
  }
  return text;
}

}  // namespace sim
