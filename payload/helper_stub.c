/* The stand-in for every helper program of the demo package (vorlkelt.exe,
 * setupw64.exe, vqjcdir.exe, vorldel8.exe, ...): it appends one line, its own
 * file name in lower case and the arguments it was started with, to
 * helper-log.txt beside itself and exits. Tests read the log to see exactly
 * what the installer started.
 *
 * It uses kernel32 alone and no C runtime, so that it stays a few kilobytes.
 * The arguments are split from the command line the way Windows finds the
 * program: a quoted name, or the text up to the first blank after which the
 * name (with ".exe" added when it has no extension) names an existing file. */
#include <windows.h>

/* Marks the file as this stub; the simulated machine acts it out when the
 * installer starts it. */
__attribute__((used)) static const char kStubMarker[] = "QELVO-DEMO-HELPER-STUB";

static int IsBlank(char c) { return c == ' ' || c == '\t'; }

/* 1 if the first `length` characters of `text`, with ".exe" added when they
 * have no extension, name an existing file. */
static int NamesFile(const char *text, int length) {
  char name[MAX_PATH + 4];
  int dot = 0;
  if (length <= 0 || length >= MAX_PATH) return 0;
  for (int i = 0; i < length; ++i) {
    name[i] = text[i];
    if (text[i] == '.') dot = 1;
    if (text[i] == '\\' || text[i] == '/') dot = 0;
  }
  if (!dot) {
    name[length++] = '.';
    name[length++] = 'e';
    name[length++] = 'x';
    name[length++] = 'e';
  }
  name[length] = 0;
  DWORD attributes = GetFileAttributesA(name);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

/* The arguments: what follows the program name, without leading blanks. */
static const char *Arguments(const char *line) {
  while (IsBlank(*line)) ++line;
  const char *rest = line;
  if (*line == '"') {
    for (rest = line + 1; *rest && *rest != '"'; ++rest) {
    }
    if (*rest) ++rest;
  } else {
    int end = 0;
    for (;;) {
      while (line[end] && !IsBlank(line[end])) ++end;
      if (!line[end] || NamesFile(line, end)) break;
      ++end;
    }
    rest = line + end;
    if (!line[end] && !NamesFile(line, end)) {
      /* No prefix named a file: the name ends at the first blank. */
      for (rest = line; *rest && !IsBlank(*rest); ++rest) {
      }
    }
  }
  while (IsBlank(*rest)) ++rest;
  return rest;
}

static void Append(HANDLE log, const char *text, DWORD length) {
  DWORD written;
  WriteFile(log, text, length, &written, NULL);
}

void HelperMain(void) {
  char path[MAX_PATH + 20];
  DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
  DWORD slash = 0;
  for (DWORD i = 0; i < length; ++i)
    if (path[i] == '\\' || path[i] == '/') slash = i + 1;
  char name[MAX_PATH];
  DWORD nameLength = length - slash;
  for (DWORD i = 0; i < nameLength; ++i) {
    char c = path[slash + i];
    name[i] = (char)(c >= 'A' && c <= 'Z' ? c + 32 : c);
  }
  const char kLogName[] = "helper-log.txt";
  for (DWORD i = 0; i < sizeof kLogName; ++i) path[slash + i] = kLogName[i];
  HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
  if (log != INVALID_HANDLE_VALUE) {
    const char *arguments = Arguments(GetCommandLineA());
    Append(log, name, nameLength);
    if (*arguments) {
      Append(log, " ", 1);
      Append(log, arguments, (DWORD)lstrlenA(arguments));
    }
    Append(log, "\r\n", 2);
    CloseHandle(log);
  }
  ExitProcess(0);
}
