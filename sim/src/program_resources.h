// The resources the simulated program image carries besides its package: the
// compiled resource file of the product's dialogs, embedded at build time
// from the same .rc the Windows executables link.
#pragma once

#include <string>
#include <vector>

#include "simwin/types.h"

namespace sim {

// The bytes of the compiled .res file (generated).
extern const unsigned char kProgramResources[];
extern const unsigned long kProgramResourcesSize;

// One resource of a .res file. Type and name are "#N" for a number, else the
// name in upper case (UTF-8), as FindResource compares them.
struct ResourceEntry {
  std::string type, name;
  WORD language = 0;
  const BYTE *data = nullptr;
  DWORD size = 0;
};

// The entries of a .res file in file order; reading stops at the first
// entry whose header or data does not fit in the bytes.
std::vector<ResourceEntry> ReadResourceFile(const BYTE *bytes, size_t size);

// The program image's entries, read once.
const std::vector<ResourceEntry> &ProgramResourceEntries();

}  // namespace sim
