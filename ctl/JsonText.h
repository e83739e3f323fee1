#pragma once

#include <string>
#include <string_view>

// The text as a JSON string literal, quotes included. Bytes that are not
// UTF-8 are passed through: gateway values are 8-bit text.
std::string JsonQuote(std::string_view text);
