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

void EnsureTrailingBackslash(char *target, int size) {
  int length = lstrlenA(target);
  if (length > 0 && target[length - 1] != '\\') AppendText(target, size, "\\");
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
