// Whole files as bytes on the host.
#pragma once

#include <filesystem>

#include "entry_codec.h"

// Throws std::runtime_error naming the file when it cannot be read.
Bytes ReadFileBytes(const std::filesystem::path &path);
// Writes through a temporary file beside the target and renames it, so that
// a failed write never leaves a half file under the target's name. Throws
// std::runtime_error naming the file.
void WriteFileBytes(const std::filesystem::path &path, const Bytes &bytes);
