// One archive entry's content: its zlib stream, made exactly as zlib
// compress makes it at the default level, and back; its MD5 digest text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/archive_format.h"

using Bytes = std::vector<uint8_t>;

Bytes CompressEntry(const Bytes &content);
// The 32 upper-case hex digits of the content's MD5.
std::string DigestText(const Bytes &content);
// The inflated content of an entry the walk found, with its problem in
// `problem` when it cannot be used: a bad stream, an empty content, one
// larger than the installer can install, or (long layout) a digest that
// differs. Inflates no further than the installer would, so no entry costs
// more than that in time or memory.
bool ReadEntryContent(const ArchiveEntry &entry, Bytes *content, std::string *problem);
