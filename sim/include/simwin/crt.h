// The C runtime calls that behave differently on Windows: the program's file
// deletions, renames and directory creation go to the simulated file system.
// The macros rename only the product's calls; the host's declarations are
// complete before they are defined.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

int SimCrtRemove(const char *path);
int SimCrtRename(const char *from, const char *to);
int SimCrtMkdir(const char *path);
FILE *SimCrtPopen(const char *command, const char *mode);
int SimCrtPclose(FILE *stream);

#define remove SimCrtRemove
#define rename SimCrtRename
#define _mkdir SimCrtMkdir
#define _popen SimCrtPopen
#define _pclose SimCrtPclose
