#pragma once

#include <optional>
#include <string>
#include <string_view>

// The radio's transmit power levels as the pages list them, in order; entry i
// stands for the stored value i.
inline constexpr std::string_view kPowerLevelChoices =
    "Lowest (0)\nLow (1)\nMedium (2)\nHigh (3)\nMaximum (4)";

// A stored power level read the way the radio's own tools read numbers:
// blanks skipped, then the leading decimal digits ("02" is 2, " 3" is 3, "3x"
// is 3). None when no digit follows the blanks.
std::optional<int> ReadPowerLevel(std::string_view stored);

// 0 to 4 for a number the list has, -1 for any other or none.
int PowerLevelIndex(std::optional<int> number);

// Read converter: "2" (or "02") shows as "Medium (2)". A value the list does
// not know (out of range, not a number, empty) shows as stored, so that it is
// seen and not silently replaced.
std::string PowerLevelToEntry(const std::string& stored);

// Write converter: an entry of the list goes back as its number; any other
// text (a value shown as stored) goes back unchanged.
std::string PowerLevelFromEntry(const std::string& shown);
