#pragma once

// The real-window scenarios as a GoogleTest suite parameterised by the
// program under test. A platform's suite instantiates it once with its own
// program:
//
//   INSTANTIATE_TEST_SUITE_P(X11, RealWindow,
//                            ::testing::Values(ProgramParam{"orvelune", MakeX11Program}),
//                            ScenarioName);
#include "program_under_test.h"

#include <gtest/gtest.h>

namespace testrig {

// A point of the dialog's window, from its top-left corner.
struct DialogPoint {
    int x;
    int y;
};

class RealWindow : public ::testing::TestWithParam<ProgramParam> {
protected:
    void SetUp() override;
    void TearDown() override;

    const Traits& traits() const { return program->traits(); }

    // The saver reads input between its frames: new frames on the screen
    // after the move prove that it has seen it.
    void MoveTo(int x, int y);
    static void ExpectEndsWithZero(Child& child, const std::string& what);
    // The pointer to a point of the dialog and, with `click`, a click there;
    // then a moment for the dialog to paint what it changed.
    void Press(DialogPoint point, bool click = true);
    // Waits until the dialog shows `expected`; "" then, else the last difference.
    std::string WaitForDialogPicture(const gfx::Surface& expected, std::chrono::milliseconds timeout = 10s);
    // The dialog closes and its process ends with 0; its window is gone
    // before the next start looks for it.
    void ExpectClosesWithZero(Child& dialog, const std::string& what);

    std::unique_ptr<ProgramUnderTest> program;
    int width = 0;
    int height = 0;
};

// The instantiation's name for its program.
std::string ScenarioName(const ::testing::TestParamInfo<ProgramParam>& info);

} // namespace testrig
