// The system's icacls as the simulated machine runs it: the listing of a
// file's or folder's DACL, derived from the DACL it really carries.
#pragma once

#include <string>

namespace sim {

class Machine;

// What "icacls <arguments>" writes to its standard output, in UTF-8 with
// CRLF line ends. Only the listing ("icacls <path>") is modelled; any other
// use writes nothing and changes nothing (narrower than Windows).
std::string RunIcacls(Machine &machine, const std::string &arguments);

}  // namespace sim
