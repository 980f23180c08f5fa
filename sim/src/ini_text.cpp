#include "ini_text.h"

#include <sstream>

namespace sim {

std::string TrimBlanks(const std::string &text) {
  size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

bool ForEachIniEntry(const std::string &text, const std::string &section,
                     const std::function<bool(const std::string &, const std::string &, int)> &entry) {
  std::istringstream in(text);
  std::string line, current;
  for (int number = 1; std::getline(in, line); ++number) {
    line = TrimBlanks(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      current = line;
      continue;
    }
    if (current != section) continue;
    size_t eq = line.find('=');
    std::string key = TrimBlanks(line.substr(0, eq));
    std::string value = eq == std::string::npos ? "" : TrimBlanks(line.substr(eq + 1));
    if (!entry(key, value, number)) return false;
  }
  return true;
}

}  // namespace sim
