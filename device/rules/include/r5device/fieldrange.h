#pragma once

#include <QString>
#include <QStringView>

// The numbers each kind of number field takes, shared by the save rules and the mark a field
// gets while an out-of-range number is typed into it.
namespace r5setup {

struct FieldRange
{
    int low;
    int high;
};

inline constexpr FieldRange kOctetRange{0, 255};
inline constexpr FieldRange kPortRange{1, 65535}; // the server's and the HTTP server's port
inline constexpr FieldRange kWordRange{0, 65535}; // download ports, the flash save interval
inline constexpr FieldRange kThroughputRange{1, 2550};

// A whole number outside `range`. Empty text, or text that is no number, is not: the save
// rules say what is wrong with those.
bool outOfRange(QStringView text, FieldRange range);

// What the marked field says (tool tip and accessible description).
QString outOfRangeNote(FieldRange range);

} // namespace r5setup
