// The entry that lets Windows list and remove the product: the key
// "vorlqwb8" under the machine's Uninstall key.
#pragma once

// Creates or opens the entry and writes its display name and the uninstall
// command, the uninstaller in the Windows directory. Failures end the
// operation silently; without administrator rights nothing is written.
void WriteUninstallEntry();
