// Reading the "key = value" sections of machine.ini.
#pragma once

#include <functional>
#include <string>

namespace sim {

std::string TrimBlanks(const std::string &text);

// Calls `entry` with the key, the value and the line number of every
// "key = value" line inside `section` (e.g. "[files]"); blank lines and lines
// starting with ';' or '#' are skipped. Stops and returns false as soon as
// `entry` returns false.
bool ForEachIniEntry(const std::string &text, const std::string &section,
                     const std::function<bool(const std::string &key, const std::string &value, int line)> &entry);

}  // namespace sim
