#pragma once

#include <string>
#include <string_view>

// Decodes the gateway's Base64 (standard alphabet). Characters outside the
// alphabet, such as line breaks and blanks, are skipped; "=" is padding, and
// decoding stops after the first group of four that holds it; a trailing
// group of fewer than four characters yields nothing.
std::string DecodeBase64(std::string_view text);
