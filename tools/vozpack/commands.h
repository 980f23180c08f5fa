// The subcommands of vozpack. Each takes the arguments after its name,
// prints what it did, and returns the exit status: 0 on success, 1 when the
// archive or the files are not as they should be, 2 on bad usage. Errors
// that stop the work are thrown as std::runtime_error and reported by main.
#pragma once

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

// Thrown for bad usage; main prints the message and the usage text.
struct UsageError {
  std::string message;
};

int RunCreate(const Arguments &arguments);
int RunAppend(const Arguments &arguments);
int RunList(const Arguments &arguments);
int RunVerify(const Arguments &arguments);
int RunExtract(const Arguments &arguments);
