#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Reading a tty's USB device out of sysfs, for discovery and for telling
// devices apart.

// A sysfs attribute's first line; empty when the file is missing.
std::string ReadAttribute(const std::filesystem::path& file);

// The USB device a tty belongs to: the first directory above the tty's
// device that holds idVendor, searched no higher than sysfsRoot. None for
// ttys that are not on USB. ttyEntry is the tty's directory (or a link to it,
// such as class/tty/NAME or dev/char/MAJOR:MINOR).
std::optional<std::filesystem::path> FindUsbDevice(const std::filesystem::path& ttyEntry,
                                                   const std::filesystem::path& sysfsRoot);
