// GBK text, the archive's 8-bit text (entry names, the installer's texts),
// and UTF-8, the host's text (file names, sources).
#pragma once

#include <string>

// Throws std::runtime_error when a character has no GBK form.
std::string Utf8ToGbk(const std::string &utf8);
// Bytes that are not GBK become U+FFFD.
std::string GbkToUtf8(const std::string &gbk);
// Host text as a terminal may show it: control characters as \xNN and the
// backslash as \\, so that a name from an archive cannot move the cursor or
// change colours.
std::string Printable(const std::string &text);
