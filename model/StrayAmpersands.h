#pragma once

#include <string>
#include <string_view>

// The gateway prints some values of its state report without escaping them,
// so a value such as "AT&T" makes the reply unreadable. This drops every "&"
// that does not begin a reference the parser accepts (one of the five
// predefined entities, or a character reference to a character XML allows)
// and keeps the references, so "&amp;" or "&lt;" still read as "&" and "<".
std::string RemoveStrayAmpersands(std::string_view text);
