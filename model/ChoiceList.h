#pragma once

#include <string>
#include <string_view>
#include <vector>

// The entries of a page's drop-down list, given as one text with a line feed
// between entries.
std::vector<std::string> SplitChoices(std::string_view choices);

// The index of the entry equal to `text` as a whole, ignoring ASCII case; -1
// when no entry is. "1" never picks an entry that merely begins with it.
int FindChoice(const std::vector<std::string>& choices, std::string_view text);
