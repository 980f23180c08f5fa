// The archive: the one container of the program. The package inside the
// executable, the backup of the user's data and the skins all use it, and the
// archive tool writes it. This header defines it once for all of them; it
// depends on nothing but the C library, so the tool builds it too.
//
// All integers are 32-bit unsigned little-endian; nothing is aligned.
//
//   archive header (10 bytes)
//   +0  'C'            never tested by a reader
//   +1  layout byte    '0': every entry has the long header; else the short one
//   +2  total length   10 + sum of (entry header + compressed length); kept up
//                      to date by writers, never trusted by readers
//   +6  entry count
//   +10 entries, back to back, in the order they were added
//
//   long entry header (56 bytes)           short entry header (20 bytes)
//   +0  "CF"                               +0  "CF"
//   +2  name, 16 bytes, zero-ended,        +2  name, 14 bytes, zero-ended;
//       zero-filled                            bytes after the zero are
//   +18 digest text: 32 upper-case hex         not significant (0xCC)
//       digits of the MD5 of the content,  +16 compressed length n
//       then two zero bytes                +20 n bytes of zlib stream
//   +52 compressed length n
//   +56 n bytes of zlib stream (RFC 1950, as zlib compress makes it)
//
// No header stores the inflated length: it is whatever the stream inflates
// to. Every length read from an archive is checked against the archive's real
// length (the resource size or the bytes read) before it is used.
#pragma once

#include <stdint.h>

const uint32_t kArchiveHeaderSize = 10;
const int kArchiveLayoutOffset = 1;
const int kArchiveTotalOffset = 2;
const int kArchiveCountOffset = 6;
const char kLongLayoutByte = '0';

const int kEntryNameOffset = 2;
const int kLongNameFieldSize = 16;
const int kShortNameFieldSize = 14;
const int kDigestOffset = 18;
const int kDigestFieldSize = 34;
const int kDigestTextLength = 32;
const int kLongLengthOffset = 52;
const int kShortLengthOffset = 16;
const uint32_t kLongEntryHeaderSize = 56;
const uint32_t kShortEntryHeaderSize = 20;
// The longest entry name the writers accept ("vorlcyzk.bak", "冷色瓷面.voz").
const int kMaxEntryNameLength = 12;
// The installer inflates a package entry into its 2 MB working buffer behind
// 100 bytes and keeps 44 bytes behind it: a larger entry cannot be installed.
const uint32_t kLargestInstallableEntry = 0x200000 - 100 - 44;
// Filler after the name in short headers made by the tool, as other makers do.
const uint8_t kShortNameFiller = 0xCC;

static_assert(kArchiveCountOffset + 4 == (int)kArchiveHeaderSize, "archive header is 10 bytes");
static_assert(kEntryNameOffset + kLongNameFieldSize == kDigestOffset, "long name field ends at the digest");
static_assert(kDigestOffset + kDigestFieldSize == kLongLengthOffset, "digest field ends at the length");
static_assert(kLongLengthOffset + 4 == (int)kLongEntryHeaderSize, "long entry header is 56 bytes");
static_assert(kEntryNameOffset + kShortNameFieldSize == kShortLengthOffset, "short name field ends at the length");
static_assert(kShortLengthOffset + 4 == (int)kShortEntryHeaderSize, "short entry header is 20 bytes");
static_assert(kDigestTextLength + 2 == kDigestFieldSize, "digest text is followed by two zero bytes");
static_assert(kMaxEntryNameLength < kShortNameFieldSize, "every accepted name fits both layouts with its zero");

uint32_t ReadLe32(const uint8_t *bytes);
void WriteLe32(uint8_t *bytes, uint32_t value);

// ---- Reading: the entry walk ----

// Why a walk ended.
enum ArchiveWalkEnd {
  kWalkComplete,   // every counted entry was visited
  kWalkNoMark,     // a header without "CF" where an entry was expected
  kWalkTruncated,  // a header or its data would run past the archive's end
};

// One entry as the walk found it. `header`, `name` and `data` point into the
// archive; the name field is not necessarily zero-ended (see EntryNameIsSafe).
struct ArchiveEntry {
  const uint8_t *header;
  const char *name;
  int nameFieldSize;
  const char *digestText;  // stored digest field (34 bytes); null in the short layout
  const uint8_t *data;
  uint32_t compressedLength;
};

struct ArchiveWalk {
  const uint8_t *archive;
  uint64_t length;
  int longLayout;
  uint32_t count;
  uint32_t visited;
  uint64_t offset;
  ArchiveWalkEnd end;
};

// Starts a walk over `length` bytes. Returns 0 (and nothing to walk) when the
// bytes cannot hold the archive header; the walk's end is then kWalkTruncated.
int BeginArchiveWalk(ArchiveWalk *walk, const uint8_t *archive, uint64_t length);
// Fills `entry` with the next entry and returns 1, or returns 0 when the walk
// is over: all counted entries visited, a missing "CF", or a header or data
// that would pass the end (walk->end says which). The next entry's offset
// comes from the header alone, whatever the caller does with this one.
int NextArchiveEntry(ArchiveWalk *walk, ArchiveEntry *entry);

// Whether a byte starts a double-byte character in the code page through
// which the file system reads the name. Its second byte may be 0x5C, which a
// byte-wise look would take for a folder separator.
typedef int (*LeadBytePredicate)(uint8_t byte);
// The archive's own text, GBK: bytes 0x81 to 0xFE lead.
int IsGbkLeadByte(uint8_t byte);

// 1 if the name is a plain file name that stays inside the folder it is
// written to, read character by character with `isLeadByte`: zero-ended
// within its field, not empty, no '\', '/' or ':' outside a double-byte
// character, no lead byte without its second byte, no trailing blank or dot
// (Windows would drop them and reach another name: " " and ".." are folders),
// and not a device name such as "CON" or "COM1.txt".
int EntryNameIsSafeIn(const ArchiveEntry *entry, LeadBytePredicate isLeadByte);
// The same, read as GBK.
int EntryNameIsSafe(const ArchiveEntry *entry);
// Copies the entry's name into `out` (`size` bytes), cut at the end of its
// field if it has no zero there; always zero-ended.
void CopyEntryName(const ArchiveEntry *entry, char *out, int size);
// 1 if the entry's name is exactly `name` (case-sensitive).
int EntryNameIs(const ArchiveEntry *entry, const char *name);
// 1 if `name` is a name the writers accept: 1 to 12 bytes and safe as above.
int IsWritableEntryName(const char *name);

// ---- Writing ----

void ComposeArchiveHeader(uint8_t header[kArchiveHeaderSize], char layoutByte, uint32_t total, uint32_t count);
// `name` must be a writable entry name; `digestText` is 32 characters, or
// null for a digest field of zeros.
void ComposeLongEntryHeader(uint8_t header[kLongEntryHeaderSize], const char *name, const char *digestText,
                            uint32_t compressedLength);
void ComposeShortEntryHeader(uint8_t header[kShortEntryHeaderSize], const char *name, uint32_t compressedLength);

// The digest text of a 16-byte MD5: 32 upper-case hex digits, most
// significant nibble first, then two zero bytes (34 bytes in all).
void FormatDigestText(const uint8_t digest[16], char out[kDigestFieldSize]);
