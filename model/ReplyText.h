#pragma once

#include <string>
#include <string_view>

// The part of a gateway reply from its first '<' to its last '>', both kept;
// empty when there is no such part (echo, status lines and framing dropped).
std::string_view TrimReply(std::string_view reply);

// `text` without any occurrence of `piece`.
std::string RemoveAll(std::string_view text, std::string_view piece);

// The decimal integer at the start of `text` the way the C library reads it:
// leading white space, an optional sign, digits up to the first other
// character; 0 when there are none. Out-of-range values saturate.
int LeadingInteger(std::string_view text);

// True when every byte of `text` belongs to a valid UTF-8 sequence.
bool IsValidUtf8(std::string_view text);

// `text` as UTF-8: valid sequences are kept, every other byte is taken as a
// Latin-1 character, so no byte is lost or swallowed by a neighbour.
std::string ToValidUtf8(std::string_view text);
