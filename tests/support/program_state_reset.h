// Puts every program-wide value of the product back to what it is when the
// program starts, so that a test sees the same program whatever ran before it
// in the same process.
#pragma once

namespace testing_support {

// Every owner's record as at start, through the owner's own reset: the
// facts about Windows and the installation directory not yet found, the
// hooks removed, a package or working buffer an earlier test left released.
// Call it with a machine installed.
void ResetProgramState();

}  // namespace testing_support
