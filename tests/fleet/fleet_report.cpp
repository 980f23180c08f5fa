#include "fleet/fleet_report.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace fleet {

namespace {

namespace fs = std::filesystem;

std::string Flat(std::string text) {
  std::replace(text.begin(), text.end(), '\t', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  return text;
}

std::string Html(const std::string &text) {
  std::string escaped;
  for (char c : text) {
    if (c == '<') escaped += "&lt;";
    else if (c == '>') escaped += "&gt;";
    else if (c == '&') escaped += "&amp;";
    else if (c == '"') escaped += "&quot;";
    else escaped += c;
  }
  return escaped;
}

// The short heading of an invariant's column: its first word.
std::string Heading(const std::string &invariant) { return invariant.substr(0, invariant.find('-')); }

std::vector<std::string> Screens(const fs::path &folder) {
  std::vector<std::string> screens;
  std::error_code error;
  for (const auto &entry : fs::directory_iterator(folder / "replayed" / "screens", error))
    if (entry.path().extension() == ".png") screens.push_back(entry.path().filename().string());
  std::sort(screens.begin(), screens.end());
  return screens;
}

}  // namespace

std::string ResultLine(const MachineResult &r) {
  std::ostringstream line;
  line << r.seed << '\t' << (r.demoPackage ? 1 : 0) << '\t' << r.seconds << '\t' << r.steps << '\t' << Flat(r.invariant)
       << '\t' << Flat(r.detail) << '\t' << Flat(r.shrunk) << '\t' << Flat(r.replay);
  return line.str();
}

bool ParseResultLine(const std::string &line, MachineResult *r) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  while (fields.size() < 8 && !fields.empty()) fields.push_back("");
  if (fields.size() != 8) return false;
  r->seed = std::stoull(fields[0]);
  r->demoPackage = fields[1] == "1";
  r->seconds = std::stod(fields[2]);
  r->steps = std::stoul(fields[3]);
  r->invariant = fields[4], r->detail = fields[5], r->shrunk = fields[6], r->replay = fields[7];
  return true;
}

void FleetReport::Add(const MachineResult &result, const std::vector<std::pair<std::string, std::string>> &axes) {
  ++machines_;
  auto &package = packages_[result.demoPackage ? "demo" : "small"];
  ++package.first, package.second += result.seconds;
  for (const auto &[axis, value] : axes) {
    if (!valueOrder_.count(axis)) axisOrder_.push_back(axis);
    std::vector<std::string> &values = valueOrder_[axis];
    if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
    Row &row = rows_[{axis, value}];
    ++row.machines;
    if (!result.invariant.empty()) ++row.failures[result.invariant];
  }
  if (!result.invariant.empty()) failures_.push_back(result);
}

void FleetReport::Print(FILE *out, double wallSeconds) const {
  std::fprintf(out, "%-26s %-36s %8s", "axis", "value", "machines");
  for (const std::string &invariant : invariants_) std::fprintf(out, " %7s", Heading(invariant).c_str());
  std::fprintf(out, "\n");
  for (const std::string &axis : axisOrder_) {
    for (const std::string &value : valueOrder_.at(axis)) {
      const Row &row = rows_.at({axis, value});
      std::fprintf(out, "%-26.26s %-36.36s %8zu", axis.c_str(), value.c_str(), row.machines);
      for (const std::string &invariant : invariants_) {
        auto found = row.failures.find(invariant);
        std::fprintf(out, " %7zu", found == row.failures.end() ? size_t(0) : found->second);
      }
      std::fprintf(out, "\n");
    }
  }
  std::fprintf(out, "columns: ");
  for (const std::string &invariant : invariants_) std::fprintf(out, "%s ", invariant.c_str());
  std::fprintf(out, "(failed machines by the first invariant they broke)\n");
  for (const MachineResult &failure : failures_)
    std::fprintf(out, "FAILED machine %llu: %s: %s\n  shrunk: %s\n  replay: %s\n", (unsigned long long)failure.seed,
                 failure.invariant.c_str(), failure.detail.c_str(), failure.shrunk.c_str(), failure.replay.c_str());
  for (const auto &[name, counts] : packages_)
    std::fprintf(out, "package %-5s: %zu machines (%.1f%%), %.1f ms a machine on one core\n", name.c_str(), counts.first,
                 machines_ ? 100.0 * counts.first / machines_ : 0.0, counts.first ? 1000 * counts.second / counts.first : 0.0);
  std::fprintf(out, "machines: %zu, failed: %zu, in %.1f s (%.1f machines/s)\n", machines_, failures_.size(), wallSeconds,
               wallSeconds > 0 ? machines_ / wallSeconds : 0.0);
}

void FleetReport::WriteHtml(const fs::path &folder, double wallSeconds) const {
  std::ofstream html(folder / "index.html");
  html << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Fleet: " << machines_
       << " machines</title>\n<style>body{font-family:sans-serif} td,th{padding:2px 6px;border-bottom:1px solid #ddd}"
          " td.n{text-align:right} td.bad{background:#fbb} tr.axis td{border-top:2px solid #888}</style></head><body>\n"
       << "<h1>" << machines_ << " machines, " << failures_.size() << " failed</h1>\n<p>" << wallSeconds << " s, "
       << (wallSeconds > 0 ? machines_ / wallSeconds : 0.0) << " machines/s. ";
  for (const auto &[name, counts] : packages_)
    html << Html(name) << " package: " << counts.first << " machines, "
         << (counts.first ? 1000 * counts.second / counts.first : 0.0) << " ms a machine. ";
  html << "</p>\n<table><tr><th>axis</th><th>value</th><th>machines</th>";
  for (const std::string &invariant : invariants_) html << "<th>" << Html(invariant) << "</th>";
  html << "</tr>\n";
  for (const std::string &axis : axisOrder_) {
    bool first = true;
    for (const std::string &value : valueOrder_.at(axis)) {
      const Row &row = rows_.at({axis, value});
      html << "<tr" << (first ? " class=\"axis\"" : "") << "><td>" << (first ? Html(axis) : "") << "</td><td>"
           << Html(value) << "</td><td class=\"n\">" << row.machines << "</td>";
      for (const std::string &invariant : invariants_) {
        auto found = row.failures.find(invariant);
        const size_t count = found == row.failures.end() ? 0 : found->second;
        html << "<td class=\"n" << (count ? " bad" : "") << "\">" << count << "</td>";
      }
      html << "</tr>\n";
      first = false;
    }
  }
  html << "</table>\n<h2>Failing machines</h2>\n";
  if (failures_.empty()) html << "<p>None.</p>\n";
  for (const MachineResult &failure : failures_) {
    html << "<h3>Machine " << failure.seed << ": " << Html(failure.invariant) << "</h3>\n<p>" << Html(failure.detail)
         << "</p>\n<p>Shrunk to: " << Html(failure.shrunk) << "</p>\n";
    if (failure.replay.empty()) continue;
    html << "<p><a href=\"" << Html(failure.replay) << "/\">replay folder</a> (<a href=\"" << Html(failure.replay)
         << "/replay.sh\">replay.sh</a>)</p>\n";
    for (const std::string &screen : Screens(folder / failure.replay))
      html << "<a href=\"" << Html(failure.replay) << "/replayed/screens/" << Html(screen) << "\"><img src=\""
           << Html(failure.replay) << "/replayed/screens/" << Html(screen) << "\" width=\"197\" title=\"" << Html(screen)
           << "\"></a>\n";
  }
  html << "</body></html>\n";
}

}  // namespace fleet
