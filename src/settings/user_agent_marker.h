// The user-agent marker: an empty value "kelt8800" under the system's
// Internet user-agent "Post Platform" key, which tells a web server that this
// version of the input method is installed.
#pragma once

// Replaces every marker of the versions 63 to 89 with the one of this
// version. Needs write access to HKEY_LOCAL_MACHINE; without it nothing
// changes. Failures are not reported.
void WriteUserAgentMarker();
