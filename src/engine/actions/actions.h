#pragma once

#include <cstdint>

class Ball_A;

// The action routines, one file each in this folder, each registered by one
// row of the table in action_table.cpp. Every routine ends with FinishAction()
// and leaves the balls' final places in FormationX/Y and CenterFormationX/Y.
