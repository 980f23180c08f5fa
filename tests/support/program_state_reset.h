// Puts every program-wide value of the product back to what it is when the
// program starts, so that a test sees the same program whatever ran before it
// in the same process.
#pragma once

namespace testing_support {

// Values as initialised at start; text buffers emptied; a working buffer an
// earlier test left allocated is freed. Call it with a machine installed.
void ResetProgramState();

}  // namespace testing_support
