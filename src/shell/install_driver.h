// The install driver: the fixed order in which an installation happens,
// without any dialogue. The whole of the windowless run.
#pragma once

void RunInstallDriver();
