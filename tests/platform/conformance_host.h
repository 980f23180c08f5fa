// What the conformance program needs from the platform it runs on.
#pragma once

// Sets up the platform before the first check: installs a fresh simulated
// machine, or on Windows makes the scratch folder.
void PrepareConformanceHost();
