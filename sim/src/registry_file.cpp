// registry.reg: the whole registry as a regedit export in UTF-8, and back.
// Strings that regedit would write as "text" lose nothing that way; every
// other string (one stored without its terminating zero, as this program
// writes them) is kept as hex(1) bytes with its text in a comment above, so
// that the stored bytes survive a save and load exactly.
#include <cstdio>
#include <sstream>

#include "simmachine/code_page.h"
#include "registry_tree.h"
#include "simwin/windows.h"

namespace sim {
namespace {

const char kHeader[] = "Windows Registry Editor Version 5.00";
const size_t kHexLineLimit = 76;  // regedit breaks hex data near 80 columns

std::string Quote(const std::string &text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string NameField(const std::u16string &name) { return name.empty() ? "@" : Quote(Utf16ToUtf8(name)); }

// The text of a REG_SZ that holds exactly one string and its terminator and
// that UTF-8 carries unchanged; false for any other data.
bool PlainString(const RegistryValue &value, std::u16string *text) {
  if (value.type != REG_SZ || value.data.size() % 2 != 0 || value.data.size() < 2) return false;
  *text = Utf16FromData(value.data);
  if (text->back() != u'\0') return false;
  text->pop_back();
  for (char16_t c : *text)
    if (c < 0x20) return false;
  return Utf8ToUtf16(Utf16ToUtf8(*text)) == *text;
}

// A one-line rendering of string data for the comment above hex(1) bytes.
std::string CommentText(const std::string &data) {
  std::u16string text = Utf16FromData(data);
  text = text.substr(0, text.find(u'\0'));
  for (char16_t &c : text)
    if (c < 0x20) c = u'?';
  return Quote(Utf16ToUtf8(text));
}

std::string HexField(const RegistryValue &value, size_t lineStart) {
  char prefix[16];
  if (value.type == REG_BINARY)
    std::snprintf(prefix, sizeof prefix, "hex:");
  else
    std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
  std::string out = prefix;
  size_t column = lineStart + out.size();
  for (size_t i = 0; i < value.data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(value.data[i]));
    out += byte;
    column += 2;
    if (i + 1 == value.data.size()) break;
    out += ',';
    ++column;
    if (column > kHexLineLimit) {
      out += "\\\n  ";
      column = 2;
    }
  }
  return out;
}

void WriteValue(std::string &out, const RegistryValue &value) {
  const std::string name = NameField(value.name);
  std::u16string text;
  if (PlainString(value, &text)) {
    out += name + "=" + Quote(Utf16ToUtf8(text)) + "\n";
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(value.data[i]);
    char field[24];
    std::snprintf(field, sizeof field, "dword:%08x", static_cast<unsigned>(number));
    out += name + "=" + field + "\n";
  } else {
    if (value.type == REG_SZ) out += "; " + name + " = " + CommentText(value.data) + "\n";
    out += name + "=" + HexField(value, name.size() + 1) + "\n";
  }
}

void WriteKey(std::string &out, const std::string &path, const Registry::Key &key) {
  out += "[" + path + "]\n";
  for (const auto &value : key.values) WriteValue(out, value);
  out += "\n";
  for (const auto &subkey : key.subkeys) WriteKey(out, path + "\\" + Utf16ToUtf8(subkey->name), *subkey);
}

// ---- Reading ----

std::string TrimRight(const std::string &text) {
  size_t end = text.find_last_not_of(" \t\r");
  return end == std::string::npos ? "" : text.substr(0, end + 1);
}

std::string TrimLeft(const std::string &text) {
  size_t begin = text.find_first_not_of(" \t");
  return begin == std::string::npos ? "" : text.substr(begin);
}

// Reads a quoted string with \\ and \" escapes starting at `pos`.
bool ReadQuoted(const std::string &line, size_t *pos, std::string *text) {
  if (*pos >= line.size() || line[*pos] != '"') return false;
  text->clear();
  for (size_t i = *pos + 1; i < line.size(); ++i) {
    if (line[i] == '"') return *pos = i + 1, true;
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    *text += line[i];
  }
  return false;
}

bool ReadHexBytes(const std::string &text, std::string *data) {
  data->clear();
  std::istringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    item = TrimLeft(TrimRight(item));
    if (item.empty() && in.eof() && data->empty()) break;  // "hex:" with no bytes
    if (item.size() != 2 || item.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    data->push_back(static_cast<char>(std::stoi(item, nullptr, 16)));
  }
  return true;
}

// Parses the data after "name=" into a type and stored bytes.
bool ReadData(const std::string &field, uint32_t *type, std::string *data) {
  if (!field.empty() && field[0] == '"') {
    size_t pos = 0;
    std::string text;
    if (!ReadQuoted(field, &pos, &text) || pos != field.size()) return false;
    *type = REG_SZ;
    *data = DataFromUtf16(Utf8ToUtf16(text) + u'\0');
    return true;
  }
  if (field.compare(0, 6, "dword:") == 0) {
    const std::string digits = field.substr(6);
    if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      return false;
    const uint32_t number = static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
    *type = REG_DWORD;
    data->assign(4, '\0');
    for (int i = 0; i < 4; ++i) (*data)[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return true;
  }
  size_t colon = field.find(':');
  if (colon == std::string::npos) return false;
  const std::string kind = field.substr(0, colon);
  if (kind == "hex") {
    *type = REG_BINARY;
  } else if (kind.size() > 5 && kind.compare(0, 4, "hex(") == 0 && kind.back() == ')') {
    const std::string digits = kind.substr(4, kind.size() - 5);
    if (digits.size() > 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    *type = static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
  } else {
    return false;
  }
  return ReadHexBytes(field.substr(colon + 1), data);
}

class RegReader {
 public:
  RegReader(const std::string &text, std::vector<std::shared_ptr<Registry::Key>> &hives) : hives_(hives) {
    std::istringstream in(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text);
    std::string line;
    while (std::getline(in, line)) lines_.push_back(TrimRight(line));
  }

  bool Read(std::string *error) {
    bool sawHeader = false;
    for (next_ = 0; next_ < lines_.size();) {
      const size_t number = next_ + 1;
      const std::string line = TrimLeft(lines_[next_++]);
      if (line.empty() || line[0] == ';') continue;
      std::string problem;
      if (!sawHeader)
        problem = line == kHeader ? "" : "not a registry export (no \"" + std::string(kHeader) + "\")";
      else if (line[0] == '[')
        problem = ReadKeyLine(line);
      else
        problem = ReadValueLine(line);
      if (!problem.empty()) {
        *error = "line " + std::to_string(number) + ": " + problem;
        return false;
      }
      sawHeader = true;
    }
    if (!sawHeader) *error = "empty registry file";
    return sawHeader;
  }

 private:
  std::string ReadKeyLine(const std::string &line) {
    if (line.back() != ']') return "key line without ']'";
    std::vector<std::u16string> names = SplitKeyPath(Utf8ToUtf16(line.substr(1, line.size() - 2)));
    const int hive = names.empty() ? -1 : HiveFromName(Utf16ToUtf8(names.front()));
    if (hive < 0) return "unknown hive in " + line;
    key_ = hives_[hive];
    bool created;
    for (size_t i = 1; i < names.size(); ++i) key_ = EnsureSubkey(*key_, names[i], &created);
    return "";
  }

  std::string ReadValueLine(const std::string &line) {
    if (!key_) return "value before the first key";
    size_t pos = 0;
    std::string name;
    if (line[0] == '@')
      pos = 1;
    else if (!ReadQuoted(line, &pos, &name))
      return "bad value name";
    const std::string rest = TrimLeft(line.substr(pos));
    if (rest.empty() || rest[0] != '=') return "missing '=' after the value name";
    std::string field = TrimLeft(rest.substr(1));
    // regedit continues long hex data on the next lines with a final '\'.
    while (field.compare(0, 3, "hex") == 0 && !field.empty() && field.back() == '\\' && next_ < lines_.size())
      field = field.substr(0, field.size() - 1) + TrimLeft(lines_[next_++]);
    uint32_t type;
    std::string data;
    if (!ReadData(field, &type, &data)) return "bad value data: " + field;
    PutValue(*key_, Utf8ToUtf16(name), type, std::move(data));
    return "";
  }

  std::vector<std::shared_ptr<Registry::Key>> &hives_;
  std::vector<std::string> lines_;
  size_t next_ = 0;
  std::shared_ptr<Registry::Key> key_;
};

}  // namespace

std::string Registry::Export() const {
  std::string out = std::string(kHeader) + "\n\n";
  for (int hive = 0; hive < kHiveCount; ++hive) WriteKey(out, HiveName(hive), *hives_[hive]);
  return out;
}

bool Registry::Import(const std::string &text, std::string *error) {
  Clear();
  if (RegReader(text, hives_).Read(error)) return true;
  Clear();
  return false;
}

}  // namespace sim
