#pragma once

#include <string>
#include <string_view>

// The text as a JSON string literal, quotes included. Bytes that are not
// UTF-8 are passed through: gateway values are 8-bit text.
std::string JsonQuote(std::string_view text);

// A count the gateway sent as text, as a JSON number; null when it is not one
// (no digits, or anything besides them).
std::string JsonNumber(std::string_view digits);
