#include "virt/faults.h"

#include "virt/codec.h"

using namespace Qt::StringLiterals;

namespace virt {

using namespace wire;

namespace {
constexpr std::pair<WriteKind, QStringView> kWriteKindNames[] = {
    {WriteKind::Wan, u"wan"}, {WriteKind::Server, u"server"}, {WriteKind::Di, u"di"}, {WriteKind::Ap, u"ap"}};
} // namespace

std::optional<WriteKind> writeKindFromName(QStringView name)
{
    for (const auto &[kind, text] : kWriteKindNames) {
        if (name.compare(text, Qt::CaseInsensitive) == 0)
            return kind;
    }
    return std::nullopt;
}

QString writeKindName(WriteKind kind)
{
    for (const auto &[k, text] : kWriteKindNames) {
        if (k == kind)
            return text.toString();
    }
    return {};
}

QList<QByteArray> FaultInjector::apply(const QByteArray &answer, QStringList *notes)
{
    if (!m_faults.any() || (m_faults.answers > 0 && m_spoiled >= m_faults.answers) ||
        answer.size() < kMinFrame)
        return {answer};
    ++m_spoiled;
    const auto note = [notes](const QString &text) {
        if (notes)
            notes->append(text);
    };

    QByteArray out = answer;
    if (m_faults.unregistered) {
        out = answerFrame(id::Unregistered);
        note(u"fault: answered with the unregistered id 0x5A"_s);
    }
    if (m_faults.wrongCount) {
        out.insert(out.size() - 1, ' ');
        out[1] = char(std::uint8_t(out[1]) + 1);
        note(u"fault: one byte added to the content"_s);
    }
    if (m_faults.payloadFe) {
        if (out.size() > kMinFrame) {
            const qsizetype at = 4 + (out.size() - kMinFrame) / 2;
            out[at] = char(kEnd);
            note(u"fault: payload byte %1 set to FE"_s.arg(at));
        } else {
            out.insert(out.size() - 1, char(kEnd));
            out[1] = char(std::uint8_t(out[1]) + 1);
            note(u"fault: payload byte FE added"_s);
        }
    }
    if (!m_faults.stray.isEmpty()) {
        out.prepend(m_faults.stray);
        note(u"fault: %1 stray byte(s) first"_s.arg(m_faults.stray.size()));
    }

    QList<QByteArray> pieces;
    qsizetype at = 0;
    for (const int n : m_faults.pieces) {
        if (at >= out.size())
            break;
        if (n <= 0)
            continue;
        pieces.append(out.mid(at, n));
        at += n;
    }
    if (at < out.size())
        pieces.append(out.mid(at));
    if (pieces.size() > 1) {
        QStringList sizes;
        for (const QByteArray &p : std::as_const(pieces))
            sizes.append(QString::number(p.size()));
        note(u"fault: answer in %1 pieces of %2 bytes"_s.arg(pieces.size()).arg(sizes.join(u',')));
    }
    return pieces;
}

} // namespace virt
