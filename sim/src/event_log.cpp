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

}  // namespace sim
