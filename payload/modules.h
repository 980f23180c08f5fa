// The demo payload's input-method modules: files laid out like Windows
// modules (DOS and PE headers, sections of code-like bytes, strings, data,
// a version resource) whose version texts carry the product description in
// UTF-16 followed by " V6.7", the text the installer rewrites.
#pragma once

#include <string>

#include "bytes_out.h"

// A module of exactly `bytes` bytes; `is64` picks the 64-bit machine code.
Bytes ModuleImage(const std::string &name, uint32_t bytes, bool is64);
