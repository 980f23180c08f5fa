#include "machine_diff.h"

#include <openssl/evp.h>

#include <sstream>

namespace {

std::string Md5Text(const std::string &content) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(content.data(), content.size(), digest, &length, EVP_md5(), nullptr);
  static const char hex[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += hex[digest[i] >> 4];
    text += hex[digest[i] & 15];
  }
  return text;
}

// Splits a regedit export into key blocks: "[path]" followed by its lines.
std::map<std::string, std::string> KeyBlocks(const std::string &exported) {
  std::map<std::string, std::string> keys;
  std::istringstream in(exported);
  std::string line, current;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      current = line.substr(1, line.size() - 2);
      keys[current];
    } else if (!current.empty() && !line.empty()) {
      keys[current] += line + "\n";
    }
  }
  return keys;
}

std::vector<Change> Compare(const std::map<std::string, std::string> &before,
                            const std::map<std::string, std::string> &after) {
  std::vector<Change> changes;
  for (const auto &entry : after) {
    auto old = before.find(entry.first);
    if (old == before.end()) changes.push_back({'+', entry.first});
    else if (old->second != entry.second) changes.push_back({'~', entry.first});
  }
  for (const auto &entry : before)
    if (!after.count(entry.first)) changes.push_back({'-', entry.first});
  return changes;
}

}  // namespace

MachineSnapshot TakeSnapshot(const sim::Machine &machine) {
  MachineSnapshot snapshot;
  for (const std::string &path : machine.files.ListAllFiles()) {
    std::string content;
    machine.files.ReadFile(path, &content);
    snapshot.files[path] = std::to_string(content.size()) + " bytes, MD5 " + Md5Text(content);
  }
  snapshot.keys = KeyBlocks(machine.registry.Export());
  return snapshot;
}

std::vector<Change> FileChanges(const MachineSnapshot &before, const MachineSnapshot &after) {
  return Compare(before.files, after.files);
}

std::vector<Change> KeyChanges(const MachineSnapshot &before, const MachineSnapshot &after) {
  return Compare(before.keys, after.keys);
}
