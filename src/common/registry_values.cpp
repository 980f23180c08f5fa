#include "common/registry_values.h"

LSTATUS SetTextValue(HKEY key, const char *name, const char *text) {
  return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, (DWORD)lstrlenA(text));
}

LSTATUS SetWideTextValue(HKEY key, const WCHAR *name, const WCHAR *text) {
  return RegSetValueExW(key, name, 0, REG_SZ, (const BYTE *)text, (DWORD)(lstrlenW(text) * sizeof(WCHAR)));
}

int ReadTextValue(HKEY key, const char *name, char *value, DWORD capacity, DWORD *size) {
  ZeroMemory(value, capacity);
  *size = capacity - 1;
  return RegQueryValueExA(key, name, NULL, NULL, (LPBYTE)value, size) == ERROR_SUCCESS;
}
