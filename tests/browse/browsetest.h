#pragma once

// Kept for the tests outside this folder that include it: the program
// fixture under its former name.

#include "support/programfixture.h"

namespace tabrix::test {
using Running = ProgramFixture;
}
