#include <libxml/parser.h>

#include <iostream>
#include <string>
#include <vector>

#include "ctl/Ctl.h"
#include "ctl/StopSignals.h"

int main(int argc, char* argv[]) {
    InstallStopHandlers();
    xmlInitParser();
    CtlEnvironment environment{std::cout, std::cerr, stderr, &Clock::System(), {}};
    const int status = RunCtl(std::vector<std::string>(argv + 1, argv + argc), environment);
    std::cout.flush();
    xmlCleanupParser();
    return status;
}
