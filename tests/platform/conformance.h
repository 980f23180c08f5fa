// A small check framework for the Win32 conformance programs: the same
// sources are compiled against the simulated Windows (run natively) and with
// MinGW (run under Wine), so it needs nothing but the C library. Each check
// reports the file and line of the failing expectation.
#pragma once

#include <stdio.h>

#include "platform/win32.h"

namespace conformance {

typedef void (*CheckFunction)();

struct Registration {
  Registration(const char *name, CheckFunction function);
};

// Called by CHECK on failure.
void Fail(const char *file, int line, const char *expression);
void FailValues(const char *file, int line, const char *expression, long long actual, long long expected);
// Called by a check that cannot run on this host: it reports SKIP with the
// reason instead of ok, and the check should return right after.
void Skip(const char *reason);

// A scratch folder for file checks, ending in a backslash: on the simulated
// machine a folder of its own, under Wine the prefix's temporary folder.
const char *ScratchDir();
// A path in the scratch folder.
void ScratchPath(char *out, const char *name);

}  // namespace conformance

#define CONFORMANCE_CHECK(name)                                                        \
  static void name();                                                                \
  static conformance::Registration name##_registration(#name, name);                 \
  static void name()

#define CHECK(expression)                                                             \
  do {                                                                                \
    if (!(expression)) conformance::Fail(__FILE__, __LINE__, #expression);            \
  } while (0)

#define CHECK_EQ(actual, expected)                                                    \
  do {                                                                                \
    long long actual_value = (long long)(actual), expected_value = (long long)(expected); \
    if (actual_value != expected_value)                                               \
      conformance::FailValues(__FILE__, __LINE__, #actual " == " #expected, actual_value, expected_value); \
  } while (0)
