// The files a package archive holds, inflated, by their 8-bit names (GBK,
// as the archive stores them): what an installation must leave.
#pragma once

#include <map>
#include <string>

namespace fleet {

// Read once per archive and kept; an archive that cannot be read holds nothing.
const std::map<std::string, std::string> &PackageContents(const std::string &packagePath);

}  // namespace fleet
