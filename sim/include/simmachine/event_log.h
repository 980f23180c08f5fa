// What the program did that a user or the system can see, in order: message
// boxes, windows created, commands started, pauses, libraries loaded. Written
// to events.log as one line per event, in UTF-8, and read back from it by
// whoever checks a run.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace sim {

struct Event {
  std::string kind;                                          // "messagebox", "window", "exec", ...
  std::vector<std::pair<std::string, std::string>> fields;  // UTF-8 values, in order

  // The value of a field, or "" if the event has none of that name.
  std::string Field(const std::string &name) const;
};

class EventLog {
 public:
  void Add(std::string kind, std::vector<std::pair<std::string, std::string>> fields);
  const std::vector<Event> &events() const { return events_; }
  // Events of one kind, in order.
  std::vector<Event> OfKind(const std::string &kind) const;
  void Clear() { events_.clear(); }

  // One line per event: the kind, then name="value" pairs; quotes, backslashes
  // and control characters inside values are escaped as in C.
  std::string Render() const;
  static std::string RenderLine(const Event &event);

  // The inverse of RenderLine: reads one line without its newline. False when
  // the line is not one that RenderLine writes.
  static bool ParseLine(const std::string &line, Event *event);
  // Appends the events of `text` as Render writes it. False at the first line
  // ParseLine refuses; the events before it are kept.
  bool Parse(const std::string &text);

 private:
  std::vector<Event> events_;
};

}  // namespace sim
