// What the running program holds in its process on the simulated machine:
// its last error and virtual time, the libraries and memory blocks it has,
// the digests it is computing and the pipes it reads. It lives in the
// machine, so a new machine starts with a process that holds nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "simmachine/file_system.h"
#include "simwin/types.h"

// A module handle: the program itself, a system DLL, or a DLL that lies
// beside the program under a system DLL's name.
struct SimInstance {
  std::string name;  // lower-case file name, "" for the program itself
  bool planted = false;
};

// A block of GlobalAlloc or LocalAlloc.
struct SimGlobal {
  std::unique_ptr<unsigned char[]> data;
  int locks = 0;
};

namespace sim {

// A search of FindFirstFileA: the entries that match, and the next to give.
struct FolderSearch {
  std::vector<FolderEntry> entries;
  size_t next = 0;
};

struct ProcessState {
  uint32_t lastError = 0;
  uint64_t elapsedMs = 0;             // virtual time added by Sleep
  bool dllSearchRestricted = false;   // SetDefaultDllDirectories(SYSTEM32) or SetDllDirectoryA("")
  std::set<std::string> librariesLoaded;  // file names LoadLibraryA has loaded
  std::map<std::string, std::unique_ptr<SimInstance>> plantedModules;  // by file name, once loaded
  bool wow64RedirectionDisabled = false;
  bool consoleAllocated = false;
  std::vector<std::unique_ptr<char>> mappingHandles;  // open file-mapping handles, one byte each
  std::filesystem::path packagePath;  // host file served as resource VOZ/KELTVOZ
  // Package files read so far, by host path: a locked resource stays mapped
  // for the life of the process.
  std::map<std::string, std::string> packageBytes;
  uint64_t globalAllocLimit = 0;      // GlobalAlloc of more bytes fails; 0 = no limit
  // Live memory blocks by handle (a local block's handle is its address); a
  // freed handle is no longer here and is refused as Windows does.
  std::map<HGLOBAL, std::unique_ptr<SimGlobal>> memoryBlocks;
  // The bytes given to each MD5 context since MD5Init, by its address.
  std::map<const void *, std::string> md5Input;
  std::set<FILE *> openPipes;  // streams of _popen not yet closed by _pclose
  // Open searches of FindFirstFileA, by handle (the search's address).
  std::map<HANDLE, std::unique_ptr<FolderSearch>> searches;
  // The folder SetCurrentDirectoryA chose, as a Windows path in UTF-8; ""
  // until then, when the current directory is the program's own folder.
  std::string currentDir;
};

}  // namespace sim
