// Reads an executable's version resource the way Explorer and inventories of
// installed software do, through GetFileVersionInfoW and VerQueryValueW, and
// prints it as UTF-8 lines in the layout of tests/build/pe_resources.py:
//   version_probe.exe PATH
// The fixed file and product versions, then the standard strings of every
// translation the resource lists, then the list of translations. Exit code 1
// when the file has no version resource.
#include <windows.h>

#include <stdio.h>

namespace {

void Print(const wchar_t *text) {
  char utf8[1024];
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
  DWORD written;
  if (length > 1) WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8, length - 1, &written, NULL);
}

void PrintVersion(const wchar_t *label, DWORD high, DWORD low) {
  wchar_t line[100];
  swprintf(line, 100, L"%ls %u.%u.%u.%u\n", label, HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low));
  Print(line);
}

}  // namespace

int main() {
  int count = 0;
  wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (count != 2) return 2;
  DWORD size = GetFileVersionInfoSizeW(arguments[1], NULL);
  static BYTE block[65536];
  if (size == 0 || size > sizeof block || !GetFileVersionInfoW(arguments[1], 0, size, block)) return 1;

  VS_FIXEDFILEINFO *fixed;
  UINT length;
  if (!VerQueryValueW(block, L"\\", (void **)&fixed, &length) || fixed->dwSignature != 0xFEEF04BD) return 1;
  PrintVersion(L"file version", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  PrintVersion(L"product version", fixed->dwProductVersionMS, fixed->dwProductVersionLS);

  WORD *translations;
  if (!VerQueryValueW(block, L"\\VarFileInfo\\Translation", (void **)&translations, &length)) return 1;
  const wchar_t *names[] = {L"ProductName", L"FileDescription", L"FileVersion",
                            L"ProductVersion", L"InternalName", L"OriginalFilename"};
  wchar_t line[300];
  for (UINT pair = 0; pair < length / 4; ++pair) {
    for (const wchar_t *name : names) {
      wchar_t query[100];
      swprintf(query, 100, L"\\StringFileInfo\\%04x%04x\\%ls", translations[2 * pair], translations[2 * pair + 1], name);
      wchar_t *text;
      UINT textLength;
      if (!VerQueryValueW(block, query, (void **)&text, &textLength)) continue;
      swprintf(line, 300, L"%04x%04x %ls: %ls\n", translations[2 * pair], translations[2 * pair + 1], name, text);
      Print(line);
    }
  }
  Print(L"Translation:");
  for (UINT pair = 0; pair < length / 4; ++pair) {
    swprintf(line, 300, L" %04x%04x", translations[2 * pair], translations[2 * pair + 1]);
    Print(line);
  }
  Print(L"\n");
  return 0;
}
