#pragma once

#include <string>
#include <string_view>

// Serialised markup made fit for the gateway's document requests, which want
// attribute values in single quotes: attribute delimiters become single
// quotes, a single quote inside a value becomes &apos;, a double quote in text
// becomes &quot;. A CDATA section becomes the same text, escaped, so that its
// value reaches the gateway unchanged. Comments and processing instructions
// cannot hold references, so their double quotes simply become single quotes.
std::string RequoteMarkup(std::string_view markup);
