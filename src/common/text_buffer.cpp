#include "common/text_buffer.h"

#include "platform/win32.h"

void CopyText(char *target, int size, const char *source) {
  if (size <= 0) return;
  lstrcpynA(target, source, size);
}

void AppendText(char *target, int size, const char *source) {
  int length = lstrlenA(target);
  if (length >= size) return;
  CopyText(target + length, size - length, source);
}

int JoinPath(char *path, int size, const char *folder, const char *name) {
  const int folderLength = lstrlenA(folder);
  const bool separator = folderLength > 0 && folder[folderLength - 1] != '\\';
  if (size <= 0) return 0;
  path[0] = '\0';
  if (folderLength + (separator ? 1 : 0) + lstrlenA(name) >= size) return 0;
  CopyText(path, size, folder);
  if (separator) AppendText(path, size, "\\");
  AppendText(path, size, name);
  return 1;
}

int IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) ? 1 : 0; }

void DropLoneLeadByte(char *text) {
  for (int i = 0; text[i]; ++i) {
    if (!IsAnsiLeadByte((unsigned char)text[i])) continue;
    if (!text[i + 1]) {
      text[i] = '\0';
      return;
    }
    ++i;
  }
}
