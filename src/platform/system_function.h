// Functions of a system DLL that the program finds by name at run time
// instead of importing them, because some Windows it runs on lacks them or
// the import libraries do not declare them.
#pragma once

#include "platform/win32.h"

// Sets *function to the address of NAME in MODULE and returns 1; sets it to
// NULL and returns 0 when MODULE is NULL or does not export NAME.
// The pointer's type must carry the Windows calling convention (WINAPI):
// system functions take their arguments off the stack themselves, so a
// 32-bit caller that believes otherwise leaves the stack wrong after every
// call. A pointer without it does not convert to this parameter, and the
// 32-bit build fails; the 64-bit one has a single convention and cannot tell.
template <typename Result, typename... Arguments>
int FindSystemFunction(HMODULE module, const char *name, Result(WINAPI **function)(Arguments...)) {
  *function = module ? (Result(WINAPI *)(Arguments...))(void *)GetProcAddress(module, name) : NULL;
  return *function ? 1 : 0;
}
