#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The fuzzer's bytes as text.
inline std::string_view FuzzText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Removes and returns the part of `input` before the first `separator`; the separator goes
// too. Without one, all of `input` is taken.
inline std::string_view TakeUntil(std::string_view& input, std::string_view separator) {
    const std::size_t at = input.find(separator);
    const std::string_view part = input.substr(0, at);
    input.remove_prefix(at == std::string_view::npos ? input.size() : at + separator.size());
    return part;
}
