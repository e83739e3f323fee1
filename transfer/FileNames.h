#pragma once

#include <optional>
#include <string>
#include <string_view>

// The file name part of a local path: the text after its last "/", or the
// whole path when it has none.
std::string_view LocalFileName(std::string_view localPath);

// Why a file name cannot travel inside a gateway command, or no value when it
// can. Names go into quoted command arguments ("at&usbinterface=41,\"...\"",
// "AT&USBINTERFACE=16,\"...\"") that neither escape a double quote nor survive
// a line break, and into gateway paths below one directory. Refused: an empty
// name, a double quote, any control character (CR and LF included) and "/".
std::optional<std::string> FileNameProblem(std::string_view name);
