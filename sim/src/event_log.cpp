// The ordered record of what the program showed and started.
#include "simmachine/event_log.h"

#include <cstdio>

namespace sim {
namespace {

std::string Escape(const std::string &value) {
  std::string out;
  for (unsigned char c : value) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02x", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads the escape sequence at `at` (just past its backslash) as Escape writes
// it; moves `at` past it. False for anything Escape does not write.
bool Unescape(const std::string &line, size_t *at, std::string *value) {
  if (*at >= line.size()) return false;
  const char c = line[(*at)++];
  switch (c) {
    case '"': *value += '"'; return true;
    case '\\': *value += '\\'; return true;
    case 'n': *value += '\n'; return true;
    case 'r': *value += '\r'; return true;
    case 't': *value += '\t'; return true;
    case 'x': break;
    default: return false;
  }
  if (*at + 2 > line.size()) return false;
  const int high = HexDigit(line[*at]), low = HexDigit(line[*at + 1]);
  const int byte = high * 16 + low;
  if (high != 0 && high != 1) return false;  // only control characters are written as \x
  if (low < 0 || byte == '\n' || byte == '\r' || byte == '\t') return false;
  *value += static_cast<char>(byte);
  *at += 2;
  return true;
}

// Reads ` name="value"` at `at`; moves `at` past it.
bool ParseField(const std::string &line, size_t *at, std::pair<std::string, std::string> *field) {
  const size_t equals = line.find("=\"", *at);
  if (line[*at] != ' ' || equals == std::string::npos || equals == *at + 1) return false;
  field->first = line.substr(*at + 1, equals - *at - 1);
  if (field->first.find_first_of(" \"") != std::string::npos) return false;
  field->second.clear();
  for (*at = equals + 2; *at < line.size();) {
    const unsigned char c = static_cast<unsigned char>(line[(*at)++]);
    if (c == '"') return true;
    if (c < 0x20) return false;
    if (c != '\\') field->second += static_cast<char>(c);
    else if (!Unescape(line, at, &field->second)) return false;
  }
  return false;
}

}  // namespace

std::string Event::Field(const std::string &name) const {
  for (const auto &field : fields)
    if (field.first == name) return field.second;
  return "";
}

void EventLog::Add(std::string kind, std::vector<std::pair<std::string, std::string>> fields) {
  events_.push_back(Event{std::move(kind), std::move(fields)});
}

std::vector<Event> EventLog::OfKind(const std::string &kind) const {
  std::vector<Event> out;
  for (const auto &event : events_)
    if (event.kind == kind) out.push_back(event);
  return out;
}

std::string EventLog::RenderLine(const Event &event) {
  std::string line = event.kind;
  for (const auto &field : event.fields) line += " " + field.first + "=\"" + Escape(field.second) + "\"";
  return line;
}

std::string EventLog::Render() const {
  std::string text;
  for (const auto &event : events_) text += RenderLine(event) + "\n";
  return text;
}

bool EventLog::ParseLine(const std::string &line, Event *event) {
  size_t at = line.find(' ');
  if (at == std::string::npos) at = line.size();
  event->kind = line.substr(0, at);
  event->fields.clear();
  if (event->kind.empty() || event->kind.find('"') != std::string::npos) return false;
  while (at < line.size()) {
    std::pair<std::string, std::string> field;
    if (!ParseField(line, &at, &field)) return false;
    event->fields.push_back(std::move(field));
  }
  return true;
}

bool EventLog::Parse(const std::string &text) {
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) return false;  // Render ends every line
    Event event;
    if (!ParseLine(text.substr(start, end - start), &event)) return false;
    events_.push_back(std::move(event));
    start = end + 1;
  }
  return true;
}

}  // namespace sim
