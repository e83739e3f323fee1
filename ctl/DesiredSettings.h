#pragma once

#include <string>
#include <vector>

#include "ctl/SettingPath.h"

// The settings a desired-state file asks for: either a backup document (every
// value it holds, ListSettingPaths) or "PATH=VALUE" lines, where blank lines
// and lines starting with "#" say nothing and blanks around a line are not
// part of it. False with `problem` set (naming the line) for anything else.
bool ParseDesiredSettings(const std::string& content, const std::string& name,
                          std::vector<SettingValue>& values, std::string& problem);
