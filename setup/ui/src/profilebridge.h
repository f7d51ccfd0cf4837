#pragma once

#include "r5commission/profile.h"

#include <QObject>

class QCheckBox;
class QPushButton;

namespace r5setup {

class MainWindow;
class SaveVerifier;

// "Save profile…", "Load profile…" and "Record file…": the first page's settings (and the
// access point's SSID) to and from the profile files of `r5200tx-cli`, checked by its rules.
// Loading fills the fields and writes nothing to the device.
class ProfileBridge final : public QObject
{
    Q_OBJECT
public:
    // Puts "Verify after save" and the three buttons below the first page's status button.
    explicit ProfileBridge(MainWindow &window);

    QCheckBox *verifyCheck() const { return m_verify; }
    SaveVerifier &verifier() const { return *m_verifier; }

public Q_SLOTS:
    void Btn_SaveProfileClick();
    void Btn_LoadProfileClick();
    void Btn_RecordFileClick();

private:
    r5commission::Fields pageFields() const;
    void fill(const r5commission::Wanted &wanted, bool withPassword);
    void refuse(const QString &where, const maint::Refusal &refusal);

    MainWindow &m_window;
    QCheckBox *m_verify = nullptr;
    SaveVerifier *m_verifier = nullptr;
};

} // namespace r5setup
