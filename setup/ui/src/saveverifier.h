#pragma once

#include "r5/appendfile.h"
#include "r5commission/verifyaftersave.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QCheckBox;

namespace r5setup {

class MainWindow;

// "Verify after save": after a WAN, server or DI save, asks for the status until the device
// answers (as VerifyAfterSave paces it), logs what the comparison says and, with a record file
// chosen, appends the record row `r5200tx-cli` writes.
class SaveVerifier final : public QObject
{
    Q_OBJECT
public:
    SaveVerifier(MainWindow &window, QCheckBox *enabled);

    // Records go to `path` (none when empty), naming `profileName`.
    void setRecordFile(const QString &path) { m_recordPath = path; }
    QString recordFile() const { return m_recordPath; }
    void setProfileName(const QString &name) { m_profileName = name; }

    // A save went out; verified when the check box is on.
    void saveSent(const r5commission::Wanted &wanted, bool reboots);
    void statusShown(const r5::protocol::StatusView &status);

private:
    void onDue();
    void schedule();
    void finish(const r5commission::VerifyAfterSave::Outcome &outcome);

    MainWindow &m_window;
    QCheckBox *m_enabled;
    r5commission::VerifyAfterSave m_verify;
    QElapsedTimer m_clock;
    QTimer m_timer;
    QString m_recordPath;
    QString m_profileName;
    r5::AppendFile m_record;
};

} // namespace r5setup
