#include "common/program_state.h"

ProgramState program;

void ResetProgramValues() { program = ProgramState(); }
