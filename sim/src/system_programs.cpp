// What the system tools share: recognising a tool and reading its options.
#include "system_programs.h"

#include "simmachine/code_page.h"

namespace sim {

bool IsProgramNamed(const std::string &path, const char *fileName) {
  const size_t slash = path.find_last_of("\\/");
  return EqualNoCase(Utf8ToUtf16(slash == std::string::npos ? path : path.substr(slash + 1)), Utf8ToUtf16(fileName));
}

ToolArguments SplitToolArguments(const std::string &arguments) {
  ToolArguments result;
  size_t at = arguments.find_first_not_of(' ');
  while (at != std::string::npos && arguments[at] == '/') {
    const size_t end = arguments.find(' ', at);
    result.options.push_back(arguments.substr(at, end == std::string::npos ? std::string::npos : end - at));
    at = end == std::string::npos ? end : arguments.find_first_not_of(' ', end);
  }
  if (at == std::string::npos) return result;
  std::string operand = arguments.substr(at);
  operand.erase(operand.find_last_not_of(' ') + 1);
  if (operand.size() >= 2 && operand.front() == '"' && operand.back() == '"') operand = operand.substr(1, operand.size() - 2);
  result.operand = operand;
  return result;
}

}  // namespace sim
