// Bytes as they arrive from a peer: rendered in both formats, cut into list rows and kept in the
// capped list. The rows put back together must be the one line the log files receive.
#include "sim/display.h"
#include "sim/linering.h"

#include <QDateTime>
#include <cstdlib>

using namespace r5::sim;
using namespace Qt::StringLiterals;

namespace {
void check(bool ok)
{
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int capacity = 1 + data[0] % 16;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QDateTime at(QDate(2026, 12, 7), QTime(9, 15, 2, 125));

    LineRing ring(capacity);
    for (const DataFormat f : {DataFormat::Ascii, DataFormat::Hex}) {
        const QString header = dataHeader(at, Direction::Received, bytes.size(), f);
        const QString whole = renderData(bytes, f);
        check(whole.size() == (f == DataFormat::Hex ? 3 : 1) * bytes.size());
        QStringList rows = listLines(header, bytes, f);
        check(rows.size() == listRowCount(bytes.size(), f));
        check(rows.takeLast() == (f == DataFormat::Ascii ? u" "_s : QString()));
        QString joined;
        for (qsizetype r = 0; r < rows.size(); ++r) {
            QString piece = rows[r];
            if (r == 0)
                piece = piece.mid(header.size());
            if (f == DataFormat::Ascii)
                piece = piece.mid(1);
            check(piece.size() <= 60);
            joined += piece;
        }
        check(joined == whole);

        ring.addData(header, bytes, f);
        ring.addText(statusLine(at, status::ClientConnected));
        check(ring.size() <= capacity);
        for (qint64 n = ring.first(); n < ring.end(); ++n)
            (void)ring.row(n);
    }
    return 0;
}
