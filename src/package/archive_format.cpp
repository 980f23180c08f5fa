#include "package/archive_format.h"

#include <string.h>

static int NameLength(const ArchiveEntry *entry);
static int IsDeviceName(const char *name, int length);
static size_t BoundedNameLength(const char *name);
static size_t HeaderNameLength(const char *name);
static int HasNoSeparator(const char *name, int length, LeadBytePredicate isLeadByte);

uint32_t ReadLe32(const uint8_t *bytes) {
  return (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 | (uint32_t)bytes[3] << 24;
}

void WriteLe32(uint8_t *bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = (uint8_t)(value >> (8 * i));
}

int BeginArchiveWalk(ArchiveWalk *walk, const uint8_t *archive, uint64_t length) {
  memset(walk, 0, sizeof *walk);
  walk->end = kWalkTruncated;
  if (!archive || length < kArchiveHeaderSize) return 0;
  walk->archive = archive;
  walk->length = length;
  walk->longLayout = archive[kArchiveLayoutOffset] == kLongLayoutByte;
  walk->count = ReadLe32(archive + kArchiveCountOffset);
  walk->offset = kArchiveHeaderSize;
  walk->end = kWalkComplete;
  return 1;
}

int NextArchiveEntry(ArchiveWalk *walk, ArchiveEntry *entry) {
  if (!walk->archive || walk->end != kWalkComplete || walk->visited >= walk->count) return 0;
  const uint64_t headerSize = walk->longLayout ? kLongEntryHeaderSize : kShortEntryHeaderSize;
  if (walk->offset + 2 > walk->length) {
    walk->end = kWalkTruncated;
    return 0;
  }
  const uint8_t *header = walk->archive + walk->offset;
  if (header[0] != 'C' || header[1] != 'F') {
    walk->end = kWalkNoMark;
    return 0;
  }
  if (walk->offset + headerSize > walk->length) {
    walk->end = kWalkTruncated;
    return 0;
  }
  const uint32_t compressedLength = ReadLe32(header + (walk->longLayout ? kLongLengthOffset : kShortLengthOffset));
  if (walk->offset + headerSize + compressedLength > walk->length) {
    walk->end = kWalkTruncated;
    return 0;
  }
  entry->header = header;
  entry->name = (const char *)header + kEntryNameOffset;
  entry->nameFieldSize = walk->longLayout ? kLongNameFieldSize : kShortNameFieldSize;
  entry->digestText = walk->longLayout ? (const char *)header + kDigestOffset : 0;
  entry->data = header + headerSize;
  entry->compressedLength = compressedLength;
  walk->offset += headerSize + compressedLength;
  ++walk->visited;
  return 1;
}

// The name's length within its field, or -1 when the field holds no zero.
static int NameLength(const ArchiveEntry *entry) {
  const void *zero = memchr(entry->name, 0, (size_t)entry->nameFieldSize);
  return zero ? (int)((const char *)zero - entry->name) : -1;
}

// Windows opens a device, not a file, for these names in any folder and with
// any extension: an entry must never write to a port or a printer.
static int IsDeviceName(const char *name, int length) {
  static const char *const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  static const char *const kNumbered[] = {"COM", "LPT"};
  int stem = 0;
  while (stem < length && name[stem] != '.') ++stem;
  while (stem > 0 && name[stem - 1] == ' ') --stem;  // "CON .txt" is the console too
  char upper[8] = {0};
  if (stem > 7) return 0;
  for (int i = 0; i < stem; ++i) upper[i] = (char)(name[i] >= 'a' && name[i] <= 'z' ? name[i] - 32 : name[i]);
  for (const char *device : kDevices)
    if (strcmp(upper, device) == 0) return 1;
  for (const char *device : kNumbered)
    if (stem == 4 && strncmp(upper, device, 3) == 0 && upper[3] >= '1' && upper[3] <= '9') return 1;
  return 0;
}

int IsGbkLeadByte(uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }

// No separator outside a double-byte character, and no character cut short
// or broken: a second byte is never below 0x40 in a double-byte code page,
// so '/' and ':' can never hide there.
static int HasNoSeparator(const char *name, int length, LeadBytePredicate isLeadByte) {
  for (int i = 0; i < length; ++i) {
    if (isLeadByte((uint8_t)name[i])) {
      if (++i == length || (uint8_t)name[i] < 0x40) return 0;
      continue;
    }
    if (name[i] == '\\' || name[i] == '/' || name[i] == ':') return 0;
  }
  return 1;
}

int EntryNameIsSafeIn(const ArchiveEntry *entry, LeadBytePredicate isLeadByte) {
  const int length = NameLength(entry);
  if (length <= 0) return 0;
  const char *name = entry->name;
  if (!HasNoSeparator(name, length, isLeadByte)) return 0;
  // Windows drops trailing blanks and dots from a name, so "a." is "a" and
  // " " or ".." is the folder itself (or its parent): such a name would
  // reach another file than the one it says. A second byte is never a blank
  // or a dot, so the last byte tells.
  if (name[length - 1] == ' ' || name[length - 1] == '.') return 0;
  return !IsDeviceName(name, length);
}

int EntryNameIsSafe(const ArchiveEntry *entry) { return EntryNameIsSafeIn(entry, IsGbkLeadByte); }

void CopyEntryName(const ArchiveEntry *entry, char *out, int size) {
  if (size <= 0) return;
  int length = NameLength(entry);
  if (length < 0) length = entry->nameFieldSize;
  if (length > size - 1) length = size - 1;
  memcpy(out, entry->name, (size_t)length);
  out[length] = '\0';
}

int EntryNameIs(const ArchiveEntry *entry, const char *name) {
  const int length = NameLength(entry);
  return length >= 0 && strcmp(entry->name, name) == 0;
}

// The length of `name`, looking no further than one byte past the longest
// name a writer accepts.
static size_t BoundedNameLength(const char *name) {
  size_t length = 0;
  while (length <= (size_t)kMaxEntryNameLength && name[length]) ++length;
  return length;
}

// Writers are given writable names; a longer one is cut rather than spill
// into the next field.
static size_t HeaderNameLength(const char *name) {
  const size_t length = BoundedNameLength(name);
  return length > (size_t)kMaxEntryNameLength ? (size_t)kMaxEntryNameLength : length;
}

int IsWritableEntryName(const char *name) {
  const size_t length = BoundedNameLength(name);
  if (length > (size_t)kMaxEntryNameLength) return 0;
  char field[kShortNameFieldSize] = {0};
  memcpy(field, name, length);
  ArchiveEntry entry = {0, field, kShortNameFieldSize, 0, 0, 0};
  return EntryNameIsSafe(&entry);
}

void ComposeArchiveHeader(uint8_t header[kArchiveHeaderSize], char layoutByte, uint32_t total, uint32_t count) {
  header[0] = 'C';
  header[kArchiveLayoutOffset] = (uint8_t)layoutByte;
  WriteLe32(header + kArchiveTotalOffset, total);
  WriteLe32(header + kArchiveCountOffset, count);
}

void ComposeLongEntryHeader(uint8_t header[kLongEntryHeaderSize], const char *name, const char *digestText,
                            uint32_t compressedLength) {
  memset(header, 0, kLongEntryHeaderSize);
  header[0] = 'C';
  header[1] = 'F';
  memcpy(header + kEntryNameOffset, name, HeaderNameLength(name));
  if (digestText) memcpy(header + kDigestOffset, digestText, kDigestTextLength);
  WriteLe32(header + kLongLengthOffset, compressedLength);
}

void ComposeShortEntryHeader(uint8_t header[kShortEntryHeaderSize], const char *name, uint32_t compressedLength) {
  memset(header, kShortNameFiller, kShortEntryHeaderSize);
  header[0] = 'C';
  header[1] = 'F';
  const size_t length = HeaderNameLength(name);
  memcpy(header + kEntryNameOffset, name, length);
  header[kEntryNameOffset + length] = 0;
  WriteLe32(header + kShortLengthOffset, compressedLength);
}

void FormatDigestText(const uint8_t digest[16], char out[kDigestFieldSize]) {
  static const char kHexDigits[] = "0123456789ABCDEF";
  for (int i = 0; i < 16; ++i) {
    out[2 * i] = kHexDigits[digest[i] >> 4];
    out[2 * i + 1] = kHexDigits[digest[i] & 0x0F];
  }
  out[kDigestTextLength] = 0;
  out[kDigestTextLength + 1] = 0;
}
