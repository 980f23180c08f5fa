#include "package/archive_writer.h"

#include <zlib.h>

#include "package/archive_format.h"
#include "package/md5_digest.h"
#include "package/memory_block.h"
#include "platform/win32.h"

// Files larger than this are not added: twice their size must stay
// allocatable on a 32-bit system.
static const LONG kLargestAddedFile = 0x3FFFFFFF;
// The least room the compressed form is given, for small files that zlib
// makes larger.
static const DWORD kLeastCompressRoom = 8192;

static const char *FileNameOf(const char *path);
static HFILE OpenOrCreateArchive(const char *path, uint8_t header[kArchiveHeaderSize]);
static int SkipToArchiveEnd(HFILE archive, const uint8_t header[kArchiveHeaderSize], const char *name);
static BYTE *ReadWholeFile(const char *path, HGLOBAL *block, DWORD *size, DWORD *read);
static int WriteEntry(HFILE archive, uint8_t header[kArchiveHeaderSize], const char *name, BYTE *block, DWORD size,
                      DWORD read);

// The text after the last backslash, not counting one in the first position;
// the whole path when there is none.
static const char *FileNameOf(const char *path) {
  for (int i = lstrlenA(path) - 1; i >= 1; --i)
    if (path[i] == '\\') return path + i + 1;
  return path;
}

// Opens the archive for reading and writing and reads its header, or creates
// it with an empty header. HFILE_ERROR when neither works or the header
// cannot be read or written whole.
static HFILE OpenOrCreateArchive(const char *path, uint8_t header[kArchiveHeaderSize]) {
  HFILE archive = _lopen(path, OF_READWRITE);
  if (archive != HFILE_ERROR) {
    if (_lread(archive, header, kArchiveHeaderSize) == kArchiveHeaderSize) return archive;
  } else {
    archive = _lcreat(path, 0);
    if (archive == HFILE_ERROR) return HFILE_ERROR;
    ComposeArchiveHeader(header, kLongLayoutByte, kArchiveHeaderSize, 0);
    if (_lwrite(archive, (LPCSTR)header, kArchiveHeaderSize) == kArchiveHeaderSize) return archive;
  }
  _lclose(archive);
  return HFILE_ERROR;
}

// Walks the counted entries and leaves the file position behind the last
// one. 0 when an entry already carries `name`, or the archive is not a
// long-layout archive whose entries all lie within the file: appending a long
// entry there would make it unreadable.
static int SkipToArchiveEnd(HFILE archive, const uint8_t header[kArchiveHeaderSize], const char *name) {
  const LONG end = _llseek(archive, 0, FILE_END);
  if (header[kArchiveLayoutOffset] != kLongLayoutByte || end < (LONG)kArchiveHeaderSize) return 0;
  uint64_t position = kArchiveHeaderSize;
  const uint32_t count = ReadLe32(header + kArchiveCountOffset);
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t entryHeader[kLongEntryHeaderSize];
    _llseek(archive, (LONG)position, FILE_BEGIN);
    if (position + kLongEntryHeaderSize > (uint64_t)end) return 0;
    if (_lread(archive, entryHeader, kLongEntryHeaderSize) != kLongEntryHeaderSize) return 0;
    ArchiveEntry entry = {entryHeader, (const char *)entryHeader + kEntryNameOffset, kLongNameFieldSize, 0, 0, 0};
    if (entryHeader[0] != 'C' || entryHeader[1] != 'F' || EntryNameIs(&entry, name)) return 0;
    position += kLongEntryHeaderSize + (uint64_t)ReadLe32(entryHeader + kLongLengthOffset);
    if (position > (uint64_t)end) return 0;
  }
  return _llseek(archive, (LONG)position, FILE_BEGIN) == (LONG)position;
}

// Reads the file into the start of a block of twice its size plus room for
// the compressed form. Returns the block's bytes, or null when the file
// cannot be opened or read or no memory is available.
static BYTE *ReadWholeFile(const char *path, HGLOBAL *block, DWORD *size, DWORD *read) {
  *block = NULL;
  HFILE file = _lopen(path, OF_READ);
  if (file == HFILE_ERROR) return NULL;
  const LONG length = _llseek(file, 0, FILE_END);
  _llseek(file, 0, FILE_BEGIN);
  BYTE *bytes = length >= 0 && length <= kLargestAddedFile
                    ? AllocateLockedBlock(2 * (SIZE_T)length + kLeastCompressRoom, block)
                    : NULL;
  *size = (DWORD)length;
  *read = bytes ? _lread(file, bytes, *size) : 0;
  _lclose(file);
  if (bytes && *read != (UINT)HFILE_ERROR) return bytes;
  FreeLockedBlock(*block);
  *block = NULL;
  return NULL;
}

// Compresses the `read` bytes at the start of the block behind the file's
// `size` bytes, writes the entry at the file position and then the updated
// archive header. 0, with the header unchanged, when a step fails.
static int WriteEntry(HFILE archive, uint8_t header[kArchiveHeaderSize], const char *name, BYTE *block, DWORD size,
                      DWORD read) {
  char digest[kDigestFieldSize];
  Md5Hex(block, read, digest);
  BYTE *compressed = block + size;
  uLongf compressedLength = read > kLeastCompressRoom ? read : kLeastCompressRoom;
  if (compress(compressed, &compressedLength, block, read) != Z_OK || compressedLength == 0) return 0;
  uint8_t entryHeader[kLongEntryHeaderSize];
  ComposeLongEntryHeader(entryHeader, name, digest, (uint32_t)compressedLength);
  if (_lwrite(archive, (LPCSTR)entryHeader, kLongEntryHeaderSize) != kLongEntryHeaderSize) return 0;
  if (_lwrite(archive, (LPCSTR)compressed, (UINT)compressedLength) != compressedLength) return 0;
  const uint32_t total = ReadLe32(header + kArchiveTotalOffset) + kLongEntryHeaderSize + (uint32_t)compressedLength;
  ComposeArchiveHeader(header, kLongLayoutByte, total, ReadLe32(header + kArchiveCountOffset) + 1);
  if (_llseek(archive, 0, FILE_BEGIN) != 0) return 0;
  return _lwrite(archive, (LPCSTR)header, kArchiveHeaderSize) == kArchiveHeaderSize;
}

int AppendToArchive(const char *archivePath, const char *filePath) {
  const char *name = FileNameOf(filePath);
  if (!IsWritableEntryName(name)) return 0;
  uint8_t header[kArchiveHeaderSize];
  HFILE archive = OpenOrCreateArchive(archivePath, header);
  if (archive == HFILE_ERROR) return 0;
  HGLOBAL block = NULL;
  DWORD size = 0, read = 0;
  BYTE *bytes = SkipToArchiveEnd(archive, header, name) ? ReadWholeFile(filePath, &block, &size, &read) : NULL;
  const int added = bytes && WriteEntry(archive, header, name, bytes, size, read);
  _lclose(archive);
  FreeLockedBlock(block);
  return added;
}
