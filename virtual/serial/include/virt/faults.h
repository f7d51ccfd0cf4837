#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>

namespace virt {

// The settings writes the device can be told to answer as usual but not keep.
enum class WriteKind { Wan, Server, Di, Ap };

// "wan", "server", "di" or "ap", as the command line names them.
std::optional<WriteKind> writeKindFromName(QStringView name);
QString writeKindName(WriteKind kind);

// Fault switches for tests: how the device spoils its answers.
struct Faults
{
    QList<int> pieces;         // deliver an answer in pieces of these sizes (the rest in a last piece)
    QByteArray stray;          // bytes sent before an answer
    bool payloadFe = false;    // a payload byte becomes 0xFE (one is added to an answer without payload)
    bool unregistered = false; // answer with the unregistered id 0x5A instead
    bool wrongCount = false;   // one byte more in the answer's content
    int answers = 1;           // how many answers are spoiled; 0: every answer
    // Writes answered but not kept, so that a read-back after the save shows the old value.
    // They spoil no answer, so any() leaves them out.
    QList<WriteKind> ignoredWrites;

    bool any() const
    {
        return !pieces.isEmpty() || !stray.isEmpty() || payloadFe || unregistered || wrongCount;
    }
};

// Applies the switches to the answers, counting them down.
class FaultInjector
{
public:
    explicit FaultInjector(const Faults &faults = {}) : m_faults(faults) {}

    const Faults &faults() const { return m_faults; }

    // The pieces to write for `answer`, in order: a single piece when no fault applies. What was
    // done is added to `notes` for the console.
    QList<QByteArray> apply(const QByteArray &answer, QStringList *notes = nullptr);

    int spoiled() const { return m_spoiled; }

private:
    Faults m_faults;
    int m_spoiled = 0;
};

} // namespace virt
