#include "userdata/user_data_restore.h"

#include "common/program_state.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "package/archive_reader.h"
#include "package/archive_verifier.h"
#include "package/memory_block.h"
#include "package/package_data.h"
#include "platform/win32.h"
#include "userdata/backup_state.h"

namespace {

const char kBackupArchiveName[] = "vorlback.voz";
const char kPhraseListBackup[] = "vorlcyzk.bak";
// An archive smaller than this holds no usable entry.
const DWORD kSmallestBackup = 100;
// Room the block keeps behind the archive's bytes.
const DWORD kBlockSlack = 200;
const DWORD kExemptListOffset = 0x1000;

// The backup is read where it was made, through nothing but a regular file:
// the folder is open to every user, so a link there must not lead the
// installer's reading elsewhere.
HANDLE OpenBackup(DWORD *size) {
  char path[MAX_PATH];
  CopyText(path, sizeof path, previousInstallRecord);
  AppendText(path, sizeof path, kBackupArchiveName);
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL);
  if (file == INVALID_HANDLE_VALUE) return file;
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(file, &information) ||
      (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
      information.nFileSizeHigh != 0) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  *size = information.nFileSizeLow;
  return file;
}

// Reads the whole backup into a new block; null when it cannot be read or is
// too small to hold an entry.
BYTE *ReadBackup(HGLOBAL *block, DWORD *length) {
  *block = NULL;
  DWORD size = 0;
  HANDLE file = OpenBackup(&size);
  if (file == INVALID_HANDLE_VALUE) return NULL;
  BYTE *bytes = size <= 0x7FFFFFFF - kBlockSlack ? AllocateLockedBlock(size + kBlockSlack, block) : NULL;
  DWORD read = 0;
  if (bytes && (!ReadFile(file, bytes, size, &read, NULL) || read < kSmallestBackup)) {
    FreeLockedBlock(*block);
    *block = NULL;
    bytes = NULL;
  }
  CloseHandle(file);
  *length = read;
  return bytes;
}

// The phrase list comes back compacted; it counts as restored when it is
// the compacted form of what was archived.
void ReportRestore(const BYTE *archive, DWORD length) {
  char *failures = (char *)workingBuffer;
  char *exempt = (char *)workingBuffer + kExemptListOffset;
  CopyText(exempt, 32, "");
  if (CompactedEntryInstalled(archive, length, kPhraseListBackup, workingBuffer + kExemptListOffset + 32,
                              kWorkingBufferSize - kExemptListOffset - 32))
    CopyText(exempt, 32, kPhraseListBackup);
  const int passed = VerifyArchive(archive, length, failures, (int)kExemptListOffset, exempt);
  if (failures[0] != '\0') {
    AppendText(failures, (int)kExemptListOffset, "\r\n\r\n");
    AppendText(failures, (int)kExemptListOffset, kEarlierDataFailedLine);
    MessageBoxA(NULL, failures, kProductCaption, MB_OK);
    return;
  }
  ClearBackupPending();
  WCHAR text[64];
  wsprintfW(text, kEarlierDataRestoredFormat, passed);
  MessageBoxW(NULL, text, kProductCaptionW, MB_OK);
}

}  // namespace

void RestoreUserData() {
  if (previousInstallRecord[0] == '\0' || !workingBuffer) return;
  HGLOBAL block;
  DWORD length = 0;
  BYTE *archive = ReadBackup(&block, &length);
  if (!archive) return;
  ExtractArchive(archive, length, workingBuffer, kWorkingBufferSize, NULL);
  ReportRestore(archive, length);
  FreeLockedBlock(block);
}
