#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace r5::sim {

// The number a text begins with (after blanks; digits with an optional sign and fraction), 0 when
// it begins with none: "12ab" is 12, "0.5" is 0.5, "abc" is 0. Huge values stay finite.
double leadingNumber(QStringView text);

// Destination address boxes: four octet boxes (index 0 to 3) and the port box after them.
namespace octet {

inline constexpr int kBoxes = 4;

// What a key does in box `index` holding `value` before the key reaches the box.
enum class Press { Accept, Discard, MovePrevious, MoveNext };
// A "." moves on from boxes 0 to 2 and is refused in box 3.
// Key codes as the boxes see them: Backspace 8, Delete 127, '.', digits; 0 for any other key
// that types a character.
Press keyPress(int index, int key, double value);

// What happens when the key is released in box `index` holding `length` characters.
enum class Release { Stay, MovePrevious, MoveNext, MoveToPort };
Release keyRelease(int index, int key, double value, qsizetype length);

// Leaving box `index`: box 0 takes at most 223 (a unicast network), every box at most 255.
enum class Leave { Ok, OkToPort, CrossLimit, BadFormat };
Leave leave(int index, double value);

} // namespace octet

// "a.b.c.d" from the four boxes, and the boxes from a stored address (missing parts empty,
// extra parts dropped).
QString addressText(const QStringList &boxes);
QStringList addressBoxes(const QString &address);

// True when all four boxes are empty.
bool addressEmpty(const QStringList &boxes);

// Port text to a port number; nullopt when it is outside 0 to 65535.
std::optional<quint16> portNumber(const QString &text);

// "1" (seconds) to the repeat interval in milliseconds: whole part of (trimmed text x 1000).
qint64 repeatIntervalMs(const QString &secondsText);

// Count text: nullopt for "Endless" or empty (no limit), otherwise the number it begins with.
std::optional<double> repeatLimit(const QString &countText);

} // namespace r5::sim
