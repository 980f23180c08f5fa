// The Windows and system folders read into the program's fixed buffers.
#pragma once

// The size of the buffers the folders are read into.
const int kSystemDirSize = 200;

// Fills `buffer` of `size` bytes with the Windows folder (ReadWindowsFolder)
// or the system folder (ReadSystemFolder) and returns 1. Returns 0 with an
// empty text when Windows cannot give it or it does not fit: Windows then
// only says the size it needs and leaves the buffer as it was.
int ReadWindowsFolder(char *buffer, int size);
int ReadSystemFolder(char *buffer, int size);
