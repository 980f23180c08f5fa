// Text conversions of the simulated machine: the 8-bit code pages the
// program's "A" calls use (936, 950, 1252, UTF-8) and UTF-16, the machine's own
// text. Conversions go through the host's iconv, which knows the same tables.
#pragma once

#include <string>
#include <string_view>

namespace sim {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Converts 8-bit text of the given Windows code page. Bytes that do not form a
// character of the code page become U+FFFD, as a best effort; Windows maps
// them to private-use characters instead.
std::u16string CodePageToUtf16(unsigned codePage, std::string_view text);
// Characters without a form in the code page become '?', as Windows does.
std::string Utf16ToCodePage(unsigned codePage, std::u16string_view text);

std::string CodePageToUtf8(unsigned codePage, std::string_view text);
std::string Utf8ToCodePage(unsigned codePage, std::string_view text);

// UTF-16 from and to the program's wide strings (WCHAR is 16 bits here).
std::u16string FromWide(const wchar_t *text);
std::u16string FromWide(const wchar_t *text, size_t length);

// Case folding of the Windows file system and registry for names: ASCII
// letters only compare without case here (narrower than Windows, whose
// upcase table covers all of Unicode).
char16_t UpcaseChar(char16_t c);
std::u16string Upcase(std::u16string_view text);
bool EqualNoCase(std::u16string_view a, std::u16string_view b);

}  // namespace sim
