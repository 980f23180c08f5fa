// Reading what a command prints: the output of a command run through the
// command interpreter, and the check of the icacls listing of the
// installation directory for full access of application packages.
#pragma once

// The most of a command's output that is kept.
const int kCapturedOutputSize = 10000;

// Runs `command` through the command interpreter and reads its standard
// output to the end, in text mode (each line end arrives as one newline) and
// in pieces of at most 127 characters, into `output` of `size` bytes. Output
// beyond the buffer is read and dropped, never written past its end; the
// text is always terminated. Returns 1 if the command could be started, 0
// (with `output` empty) if not.
int RunAndCapture(const char *command, char *output, int size);

// Reads an icacls listing: a line is the text up to a character below 0x20.
// Only lines that begin, after blanks and line ends, with "APPLICATION
// PACKAGE" count; the first of them whose last right (the letter two places
// before the line end, as in "...:(OI)(CI)(F)") is F or f gives 1. Without
// such a line, 0.
int ListingShowsAppPackagesFullAccess(const char *listing);

// Lists the installation directory (C:\Progra~1\morvak8 where it is the usual
// one, IcaclsFolder) with the system's icacls and reads the listing.
// Returns 1 if application packages have full access there, 0 otherwise, also
// when icacls cannot be started or prints nothing.
int AppPackagesHaveFullAccess();
