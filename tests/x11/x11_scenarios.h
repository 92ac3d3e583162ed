// Scenarios that more than one test of the program on X runs, built on the
// rig; they report through GoogleTest's assertions.
#pragma once

#include "x11_rig.h"

#include <string>
#include <vector>

namespace x11test {

// Waits until the process sleeps opening a pipe that has no writer yet.
bool WaitUntilAtThePipe(Child& child);

// Starts `count` copies of "orvelune /s" (each with `env` added), holds them
// at a gate (a FIFO made at `gate`) and lets them all go at the same moment,
// so that they look for a running saver while none exists yet; then expects
// exactly one saver to show and go on drawing, and every other start to end
// with status 0.
void ExpectOneOfManyStartsAtOnceRuns(XvfbRig& rig, int count, const std::string& gate,
                                     const std::vector<std::string>& env = {});

} // namespace x11test
