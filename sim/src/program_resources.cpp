// A compiled resource file read the way the resource compiler wrote it:
// entries of a header (data size, header size, type, name, language) and
// their data, each aligned to four bytes.
#include "program_resources.h"

#include <cstring>

#include "simmachine/code_page.h"

namespace {

WORD Word(const BYTE *p) { return static_cast<WORD>(p[0] | p[1] << 8); }
DWORD Dword(const BYTE *p) { return Word(p) | static_cast<DWORD>(Word(p + 2)) << 16; }

// A type or name field at `*offset` within `end`: 0xFFFF and a number, or a
// terminated UTF-16 string. False when it runs past the end.
bool ReadId(const BYTE *bytes, size_t end, size_t *offset, std::string *id) {
  if (*offset + 2 > end) return false;
  if (Word(bytes + *offset) == 0xFFFF) {
    if (*offset + 4 > end) return false;
    *id = "#" + std::to_string(Word(bytes + *offset + 2));
    *offset += 4;
    return true;
  }
  std::u16string name;
  for (; *offset + 2 <= end; *offset += 2) {
    char16_t c = Word(bytes + *offset);
    if (c == 0) {
      *offset += 2;
      for (char16_t &ch : name)
        if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - 32);
      *id = sim::Utf16ToUtf8(name);
      return true;
    }
    name += c;
  }
  return false;
}

}  // namespace

std::vector<sim::ResourceEntry> sim::ReadResourceFile(const BYTE *bytes, size_t size) {
  std::vector<ResourceEntry> entries;
  for (size_t at = 0; at + 8 <= size;) {
    const DWORD dataSize = Dword(bytes + at), headerSize = Dword(bytes + at + 4);
    if (headerSize < 8 || headerSize > size - at || dataSize > size - at - headerSize) break;
    const size_t headerEnd = at + headerSize;
    size_t offset = at + 8;
    ResourceEntry entry;
    if (!ReadId(bytes, headerEnd, &offset, &entry.type) || !ReadId(bytes, headerEnd, &offset, &entry.name)) break;
    offset = (offset + 3) & ~size_t{3};
    if (offset + 16 > headerEnd) break;
    entry.language = Word(bytes + offset + 6);  // after the data version and the memory flags
    entry.data = bytes + headerEnd;
    entry.size = dataSize;
    if (entry.type != "#0") entries.push_back(entry);  // the file starts with an empty entry
    at = (headerEnd + dataSize + 3) & ~size_t{3};
  }
  return entries;
}

const std::vector<sim::ResourceEntry> &sim::ProgramResourceEntries() {
  static const std::vector<ResourceEntry> entries = ReadResourceFile(kProgramResources, kProgramResourcesSize);
  return entries;
}
