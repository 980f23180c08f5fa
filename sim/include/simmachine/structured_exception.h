// A structured exception of the simulated program: what RaiseException raises
// and what a simulated call that faults raises. Windows dispatches it to the
// program's exception filters; here it travels as a C++ exception up to the
// program's fault guard (src/platform/fault_guard.h), or, uncaught, ends the
// run as a crash ends the process.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace sim {

class StructuredException : public std::runtime_error {
 public:
  explicit StructuredException(uint32_t code);
  uint32_t code() const { return code_; }

 private:
  uint32_t code_;
};

}  // namespace sim
