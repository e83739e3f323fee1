#pragma once

// The program's name: the sheet's caption and the first field of the log's start line.
inline constexpr char kProgramTitle[] = "Tarvel R7 Dashboard";
