// icacls listing a DACL the way Windows prints it: the path given, then one
// line per entry, "NAME:(I)(OI)(CI)(IO)(F)", continuation lines indented
// under the first, a blank line and the count of files processed.
#include "program_icacls.h"

#include <vector>

#include "security_model.h"
#include "simmachine/code_page.h"
#include "simmachine/machine.h"
#include "simwin/windows.h"

namespace sim {
namespace {

struct RightName {
  const char *text;
  uint32_t mask;
};

// The rights icacls names by one letter or two, in the order it tries them.
const RightName kModify = {"M", 0x001301BF};
const RightName kReadExecute = {"RX", 0x001200A9};
const RightName kRead = {"R", 0x00120089};
const RightName kWrite = {"W", 0x00100116};

// The rights it names one by one when no simple name covers them.
const RightName kSpecific[] = {{"GR", GENERIC_READ}, {"GW", GENERIC_WRITE}, {"GE", GENERIC_EXECUTE},
                               {"DE", DELETE},       {"RC", READ_CONTROL},  {"WDAC", 0x40000},
                               {"WO", 0x80000},      {"S", SYNCHRONIZE},    {"AS", 0x1000000},
                               {"MA", 0x2000000},    {"RD", 0x1},           {"WD", 0x2},
                               {"AD", 0x4},          {"REA", 0x8},          {"WEA", 0x10},
                               {"X", 0x20},          {"DC", 0x40},          {"RA", 0x80},
                               {"WA", 0x100}};

bool Covers(uint32_t mask, const RightName &right) { return (mask & right.mask) == right.mask; }

// "(F)", "(RX,W)", "(GR,GE)": generic all counts as full access.
std::string RightsText(uint32_t mask) {
  std::vector<std::string> names;
  uint32_t rest = mask;
  if ((mask & GENERIC_ALL) || (mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS) {
    names.push_back("F");
    rest &= ~(GENERIC_ALL | FILE_ALL_ACCESS);
  } else if (Covers(mask, kModify)) {
    names.push_back(kModify.text);
    rest &= ~kModify.mask;
  } else {
    const RightName *read = Covers(mask, kReadExecute) ? &kReadExecute : Covers(mask, kRead) ? &kRead : nullptr;
    if (read) names.push_back(read->text), rest &= ~read->mask;
    if (Covers(mask, kWrite)) names.push_back(kWrite.text), rest &= ~kWrite.mask;
  }
  for (const RightName &right : kSpecific)
    if (rest & right.mask) names.push_back(right.text);
  std::string text;
  for (const std::string &name : names) text += (text.empty() ? "" : ",") + name;
  return "(" + (text.empty() ? std::string("N") : text) + ")";
}

std::string EntryText(const AccessEntry &entry, const Profile &profile) {
  static const RightName kFlags[] = {{"(I)", INHERITED_ACE},
                                     {"(OI)", OBJECT_INHERIT_ACE},
                                     {"(CI)", CONTAINER_INHERIT_ACE},
                                     {"(NP)", NO_PROPAGATE_INHERIT_ACE},
                                     {"(IO)", INHERIT_ONLY_ACE}};
  std::string text = AccountNameOfSid(entry.sid, profile) + ":";
  for (const RightName &flag : kFlags)
    if (entry.flags & flag.mask) text += flag.text;
  if (entry.type == ACCESS_DENIED_ACE_TYPE) text += "(DENY)";
  return text + RightsText(entry.mask);
}

// The first argument (quoted or not) and what follows it.
std::string FirstArgument(const std::string &arguments, std::string *rest) {
  size_t start = arguments.find_first_not_of(' ');
  if (start == std::string::npos) return "";
  const bool quoted = arguments[start] == '"';
  if (quoted) ++start;
  size_t end = arguments.find(quoted ? '"' : ' ', start);
  if (end == std::string::npos) end = arguments.size();
  const size_t after = arguments.find_first_not_of(' ', quoted && end < arguments.size() ? end + 1 : end);
  *rest = after == std::string::npos ? "" : arguments.substr(after);
  return arguments.substr(start, end - start);
}

}  // namespace

std::string RunIcacls(Machine &machine, const std::string &arguments) {
  std::string rest;
  const std::string path = FirstArgument(arguments, &rest);
  if (path.empty() || !rest.empty()) return "";
  std::string found;
  bool directory = false;
  // The reason of a failure goes to standard error.
  if (machine.files.LocateObject(Utf8ToUtf16(path), &found, &directory) != 0)
    return "Successfully processed 0 files; Failed processing 1 files\r\n";
  const AccessList dacl = EffectiveDacl(machine, found, directory);
  const std::string indent(path.size() + 1, ' ');
  std::string out = path + " ";
  for (size_t i = 0; i < dacl.entries.size(); ++i)
    out += (i == 0 ? "" : indent) + EntryText(dacl.entries[i], machine.profile) + "\r\n";
  if (dacl.entries.empty()) out += "\r\n";
  return out + "\r\nSuccessfully processed 1 files; Failed processing 0 files\r\n";
}

}  // namespace sim
