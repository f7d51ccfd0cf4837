#pragma once

#include <QAnyStringView>
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace r5 {

// An INI file kept line by line; lines may end in CR LF, LF or CR. QSettings would reorder the keys and
// rewrite the lines it does not own; here every line the program does not set keeps its exact bytes, so a
// hand-edited file or one written by a newer version survives a save. Section and key names compare without
// regard to ASCII case, as the Windows profile functions do.
class IniDocument
{
public:
    static IniDocument parse(QByteArrayView bytes);
    QByteArray serialize() const;

    // The first value of `key` in any section named `section`, trimmed of spaces.
    std::optional<QString> value(QAnyStringView section, QAnyStringView key) const;

    // Every "key=value" line as its section's name and its key, in file order (an empty section
    // name for lines before the first section), so a reader can refuse names it does not know.
    QList<std::pair<QString, QString>> keys() const;

    // Replaces the first occurrence of the key, or adds it at the end of the section (the
    // section is created at the end of the file when missing). Line breaks in `value` become
    // spaces so a value can never add lines of its own.
    void setValue(QAnyStringView section, QAnyStringView key, const QString &value);

    // One section name with the keys that belong first in it, in order.
    using SectionOrder = std::pair<QString, QStringList>;

    // Puts the named sections first, in the order given (the first section of each name), and
    // in each of them the first line of each named key first, in order; every other line, a
    // repeated key or a later section of the same name among them, keeps its bytes and its
    // relative order.
    void arrange(const QList<SectionOrder> &order);

private:
    struct Line
    {
        QByteArray raw;
        QByteArray key; // empty unless the line is "key=value"
    };
    struct Section
    {
        QByteArray header;
        QByteArray name;
        QList<Line> lines;
    };

    const Line *findLine(QAnyStringView section, QAnyStringView key) const;

    QList<Line> m_preamble;    // lines before the first section
    QList<Section> m_sections; // written with one blank line between them
    bool m_bom = false;
    QByteArray m_eol = "\r\n"; // the file's first line end (CR LF, LF or CR)
};

} // namespace r5
