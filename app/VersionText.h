#pragma once

#include <string>

// "Version 1.0.20.0": the version set in the build; empty when the build set none.
std::string GetVersionText();
