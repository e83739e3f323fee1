#pragma once

#include <string>
#include <vector>

#include "ctl/CtlEnvironment.h"

// Runs one r7ctl command line (the arguments after the program name) and
// returns its exit status.
int RunCtl(const std::vector<std::string>& arguments, CtlEnvironment& environment);
