// The fault guard on Windows. MinGW has no __try: the guard is an unhandled-
// exception filter that resumes the thread behind the guarded stretch.
#include "platform/fault_guard.h"

#include "platform/win32.h"

namespace {

// The jump buffer of __builtin_setjmp: five words, and no stack unwinding
// when jumping back, which is right for frames the fault abandons.
void *resumePoint[5];

// Runs in place of the faulting instruction, on the faulting stack, once the
// system has finished dispatching the exception.
[[noreturn]] void ResumeBehindGuard() { __builtin_longjmp(resumePoint, 1); }

// Points the faulting thread at ResumeBehindGuard, its stack aligned as
// after a call. The processor's registers are named by the processor the
// program is built for; only that branch is compiled.
template <typename Context>
void RedirectToResume(Context *context) {
  if constexpr (sizeof(void *) == 8) {
    context->Rsp = (context->Rsp & ~(DWORD64)15) - 8;
    context->Rip = (DWORD64)(void *)ResumeBehindGuard;
  } else {
    context->Esp = (context->Esp & ~(DWORD)15) - 4;
    context->Eip = (DWORD)(ULONG_PTR)(void *)ResumeBehindGuard;
  }
}

// Called for an exception that nothing inside the guarded stretch handled:
// the thread continues in ResumeBehindGuard instead of where it faulted.
LONG WINAPI ResumeFilter(EXCEPTION_POINTERS *exception) {
  RedirectToResume(exception->ContextRecord);
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

int RunFaultGuarded(void (*body)()) {
  // Static, so that the jump back finds them as they were stored.
  static LPTOP_LEVEL_EXCEPTION_FILTER previous;
  static int completed;
  previous = SetUnhandledExceptionFilter(ResumeFilter);
  completed = 0;
  if (__builtin_setjmp(resumePoint) == 0) {
    body();
    completed = 1;
  }
  SetUnhandledExceptionFilter(previous);
  return completed;
}
