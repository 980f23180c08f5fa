#include "package/archive_writer.h"

#include <zlib.h>

#include "common/plain_files.h"
#include "package/archive_format.h"
#include "package/md5_digest.h"
#include "package/memory_block.h"

static const char *FileNameOf(const char *path);
static int ReadAt(HANDLE file, DWORD position, void *bytes, DWORD count);
static int WriteAt(HANDLE file, DWORD position, const void *bytes, DWORD count);
static int ReadOrMakeHeader(HANDLE archive, uint8_t header[kArchiveHeaderSize]);
static int FindArchiveEnd(HANDLE archive, const uint8_t header[kArchiveHeaderSize], const char *name,
                          DWORD *end);
static BYTE *ReadWholeFile(const char *path, HGLOBAL *block, DWORD *size);
static int WriteEntry(HANDLE archive, uint8_t header[kArchiveHeaderSize], DWORD end, const char *name, BYTE *block,
                      DWORD size);

// The text after the last backslash, not counting one in the first position;
// the whole path when there is none.
static const char *FileNameOf(const char *path) {
  for (int i = lstrlenA(path) - 1; i >= 1; --i)
    if (path[i] == '\\') return path + i + 1;
  return path;
}

static int ReadAt(HANDLE file, DWORD position, void *bytes, DWORD count) {
  DWORD read = 0;
  return SetFilePointer(file, (LONG)position, NULL, FILE_BEGIN) == position &&
         ReadFile(file, bytes, count, &read, NULL) && read == count;
}

static int WriteAt(HANDLE file, DWORD position, const void *bytes, DWORD count) {
  DWORD written = 0;
  return SetFilePointer(file, (LONG)position, NULL, FILE_BEGIN) == position &&
         WriteFile(file, bytes, count, &written, NULL) && written == count;
}

// Reads the archive's header, or gives an empty archive file an empty one;
// a file too short for a header is no archive.
static int ReadOrMakeHeader(HANDLE archive, uint8_t header[kArchiveHeaderSize]) {
  if (ReadAt(archive, 0, header, kArchiveHeaderSize)) return 1;
  if (SetFilePointer(archive, 0, NULL, FILE_END) != 0) return 0;
  ComposeArchiveHeader(header, kLongLayoutByte, kArchiveHeaderSize, 0);
  return WriteAt(archive, 0, header, kArchiveHeaderSize);
}

// Walks the counted entries; `end` receives the offset behind the last one.
// 0 when an entry already carries `name`, or the archive is not a long-layout
// archive whose entries all lie within the file: appending a long entry there
// would make it unreadable.
static int FindArchiveEnd(HANDLE archive, const uint8_t header[kArchiveHeaderSize], const char *name,
                          DWORD *end) {
  const DWORD fileEnd = SetFilePointer(archive, 0, NULL, FILE_END);
  if (header[kArchiveLayoutOffset] != kLongLayoutByte || fileEnd == INVALID_SET_FILE_POINTER ||
      fileEnd < kArchiveHeaderSize)
    return 0;
  uint64_t position = kArchiveHeaderSize;
  const uint32_t count = ReadLe32(header + kArchiveCountOffset);
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t entryHeader[kLongEntryHeaderSize];
    if (position + kLongEntryHeaderSize > fileEnd) return 0;
    if (!ReadAt(archive, (DWORD)position, entryHeader, kLongEntryHeaderSize)) return 0;
    ArchiveEntry entry = {entryHeader, (const char *)entryHeader + kEntryNameOffset, kLongNameFieldSize, 0, 0, 0};
    if (entryHeader[0] != 'C' || entryHeader[1] != 'F' || EntryNameIs(&entry, name)) return 0;
    position += kLongEntryHeaderSize + (uint64_t)ReadLe32(entryHeader + kLongLengthOffset);
    if (position > fileEnd) return 0;
  }
  *end = (DWORD)position;
  return 1;
}

// Reads the plain file into the start of a block with room behind it for
// its compressed form. Null when it cannot be read whole, is larger than an
// entry the installer can unpack, or no memory is available.
static BYTE *ReadWholeFile(const char *path, HGLOBAL *block, DWORD *size) {
  *block = NULL;
  HANDLE file = OpenPlainFile(path, GENERIC_READ, size);
  if (file == INVALID_HANDLE_VALUE) return NULL;
  BYTE *bytes = *size <= kLargestInstallableEntry ? AllocateLockedBlock(*size + compressBound(*size), block) : NULL;
  DWORD read = 0;
  const BOOL whole = bytes && ReadFile(file, bytes, *size, &read, NULL) && read == *size;
  CloseHandle(file);
  if (whole) return bytes;
  FreeLockedBlock(*block);
  *block = NULL;
  return NULL;
}

// Compresses the file's `size` bytes at the start of the block behind them,
// writes the entry at `end` and then the updated archive header. 0, with the
// header unchanged, when a step fails.
static int WriteEntry(HANDLE archive, uint8_t header[kArchiveHeaderSize], DWORD end, const char *name, BYTE *block,
                      DWORD size) {
  char digest[kDigestFieldSize];
  Md5Hex(block, size, digest);
  BYTE *compressed = block + size;
  uLongf compressedLength = compressBound(size);
  if (compress(compressed, &compressedLength, block, size) != Z_OK || compressedLength == 0) return 0;
  uint8_t entryHeader[kLongEntryHeaderSize];
  ComposeLongEntryHeader(entryHeader, name, digest, (uint32_t)compressedLength);
  if (!WriteAt(archive, end, entryHeader, kLongEntryHeaderSize)) return 0;
  if (!WriteAt(archive, end + kLongEntryHeaderSize, compressed, (DWORD)compressedLength)) return 0;
  const uint32_t total = ReadLe32(header + kArchiveTotalOffset) + kLongEntryHeaderSize + (uint32_t)compressedLength;
  ComposeArchiveHeader(header, kLongLayoutByte, total, ReadLe32(header + kArchiveCountOffset) + 1);
  return WriteAt(archive, 0, header, kArchiveHeaderSize);
}

int StartArchive(HANDLE archive) {
  uint8_t header[kArchiveHeaderSize];
  return ReadOrMakeHeader(archive, header);
}

int AppendToArchive(HANDLE archive, const char *filePath) {
  const char *name = FileNameOf(filePath);
  uint8_t header[kArchiveHeaderSize];
  DWORD end = 0;
  if (!IsWritableEntryName(name) || !ReadOrMakeHeader(archive, header) || !FindArchiveEnd(archive, header, name, &end))
    return 0;
  HGLOBAL block = NULL;
  DWORD size = 0;
  BYTE *bytes = ReadWholeFile(filePath, &block, &size);
  const int added = bytes && WriteEntry(archive, header, end, name, bytes, size);
  FreeLockedBlock(block);
  return added;
}
