// Runs every registered conformance check and reports the failures. On the
// simulated Windows it first installs a fresh machine; under Wine it runs on
// the prefix it is started in.
#include <string.h>

#include <vector>

#include "platform/conformance.h"
#include "platform/conformance_host.h"

namespace conformance {
namespace {

struct Check {
  const char *name;
  CheckFunction function;
};

std::vector<Check> &Checks() {
  static std::vector<Check> checks;
  return checks;
}

int failures = 0;
int skipped = 0;
const char *currentCheck = "";
const char *skipReason = nullptr;

}  // namespace

Registration::Registration(const char *name, CheckFunction function) { Checks().push_back({name, function}); }

void Fail(const char *file, int line, const char *expression) {
  ++failures;
  printf("FAIL %s (%s:%d): %s\n", currentCheck, file, line, expression);
}

void FailValues(const char *file, int line, const char *expression, long long actual, long long expected) {
  ++failures;
  printf("FAIL %s (%s:%d): %s: got %lld, expected %lld\n", currentCheck, file, line, expression, actual, expected);
}

void Skip(const char *reason) { skipReason = reason; }

void ScratchPath(char *out, const char *name) { wsprintfA(out, "%s%s", ScratchDir(), name); }

}  // namespace conformance

int main(int argc, char **argv) {
  PrepareConformanceHost();
  int run = 0;
  for (const auto &check : conformance::Checks()) {
    if (argc > 1 && strstr(check.name, argv[1]) == nullptr) continue;
    conformance::currentCheck = check.name;
    conformance::skipReason = nullptr;
    int before = conformance::failures;
    check.function();
    ++run;
    if (conformance::failures != before)
      printf("FAIL %s\n", check.name);
    else if (conformance::skipReason)
      printf("SKIP %s: %s\n", check.name, conformance::skipReason), ++conformance::skipped;
    else
      printf("ok   %s\n", check.name);
  }
  printf("%d checks, %d failures, %d skipped\n", run, conformance::failures, conformance::skipped);
  return conformance::failures == 0 ? 0 : 1;
}
