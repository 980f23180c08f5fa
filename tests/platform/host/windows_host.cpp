// Conformance host on Windows (or Wine): a scratch folder in the temporary folder.
#include "platform/conformance.h"
#include "platform/conformance_host.h"

namespace {
char scratch[MAX_PATH];
}

void PrepareConformanceHost() {
  GetTempPathA(MAX_PATH, scratch);
  lstrcatA(scratch, "setup-conformance\\");
  CreateDirectoryA(scratch, NULL);
}

const char *conformance::ScratchDir() { return scratch; }
