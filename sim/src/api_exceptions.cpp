// Structured exceptions: raising one, and the record a raised exception
// leaves in the event log.
#include <cstdio>

#include "api_support.h"
#include "simmachine/structured_exception.h"

namespace {

std::string Hex(uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", code);
  return text;
}

}  // namespace

sim::StructuredException::StructuredException(uint32_t code)
    : std::runtime_error("structured exception " + Hex(code)), code_(code) {}

// The flags and arguments travel nowhere: no filter here reads them.
void RaiseException(DWORD code, DWORD, DWORD, const ULONG_PTR *) {
  sim::M().events.Add("exception", {{"code", Hex(code)}});
  throw sim::StructuredException(code);
}
