#pragma once

#include <QStringView>
#include <cstdint>
#include <optional>

namespace disim {

// The destination port: a whole number 1 to 65535, surrounding spaces allowed.
std::optional<std::uint16_t> parsePort(QStringView text);

// The repeat interval: the text is read as seconds from its start (so "2.5" is 2500 ms and
// "3s" is 3000 ms), rounded to whole milliseconds. Nothing when that gives 0 ms or more than a
// timer can hold.
std::optional<int> parseIntervalMs(QStringView text);

// Key filter of the address, port and interval boxes: digits, "." and Backspace.
bool isEntryKeyAllowed(QChar c);

} // namespace disim
