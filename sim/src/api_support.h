// Helpers shared by the simulated Win32 calls.
#pragma once

#include <string>

#include "simmachine/code_page.h"
#include "simmachine/machine.h"
#include "simwin/windows.h"

namespace sim {

inline Machine &M() { return CurrentMachine(); }

// Sets the thread's last error, as the call that fails does on Windows.
inline void SetError(uint32_t code) { M().process.lastError = code; }

// The machine's ANSI code page, through which the "A" calls convert text.
inline unsigned AnsiCodePage() { return M().profile.ansiCodePage; }

// An "A" call's 8-bit text as UTF-8 (for logs and the host view) and back.
inline std::string AnsiToUtf8(const char *text) { return text ? CodePageToUtf8(AnsiCodePage(), text) : ""; }
inline std::string Utf8ToAnsi(const std::string &text) { return Utf8ToCodePage(AnsiCodePage(), text); }

// Copies `text` with its terminator into a caller's buffer of `size`
// characters, the way GetWindowsDirectoryA and friends do: the length without
// terminator when it fits, else the size needed including the terminator and
// the buffer untouched. CopyOut takes text already in the ANSI code page
// (Utf8ToAnsi), CopyOutWide UTF-16.
UINT CopyOut(const std::string &text, char *buffer, UINT size);
UINT CopyOutWide(const std::u16string &text, wchar_t *buffer, UINT size);

}  // namespace sim
