#pragma once

#include "r5/appendfile.h"
#include "r5site/sitelist.h"

#include <QJsonObject>
#include <QList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QModelIndex;
class QPushButton;
class QSpinBox;
class QTableView;

namespace r5 {
class Clock;
class Launcher;
class Prompter;
} // namespace r5

namespace r5site {
class SiteCheck;
struct StateChange;
} // namespace r5site

namespace disim {

class Echo;
class HostResolver;
class SiteFilterModel;
class SiteTableModel;

// The Site window: every device of a site list watched at once by the site check, as a table
// (sortable; offline and not reached rows coloured and named), a filter for the devices that are
// not online, the interval, "Export CSV…", and the summary line. A double click (or Enter) on a
// row opens the single-device window on that device. Each change of state is a line in the day's
// "YYYYMMDD_site.txt" in the log folder.
class frmSite : public QWidget
{
    Q_OBJECT
public:
    using EchoFactory = std::function<std::unique_ptr<Echo>()>;
    struct Services
    {
        r5::Prompter &prompter;
        r5::Clock &clock;
        r5::Launcher &launcher;
        HostResolver &resolver;
        EchoFactory makeEcho; // the check's pings and each device window's own echo
        QString logFolder;
    };

    // Watches `devices` (read from `listPath`) from now on.
    frmSite(const Services &services, QList<r5site::SiteEntry> devices, const QString &listPath,
            QWidget *parent = nullptr);
    ~frmSite() override;

    // The check as it stands (devices with their states, reports and counts), for the handover
    // report.
    QJsonObject currentCheck() const;

Q_SIGNALS:
    void handoverRequested();

public Q_SLOTS:
    virtual void btnHandoverClick();

private:
    void spnInterval_Change(int seconds);
    void chkNotOnline_Click(bool on);
    void cmdExportCsv_Click();
    void tblSite_DblClick(const QModelIndex &index);
    void devicesChanged(const QList<int> &rows);
    void stateChanged(const r5site::StateChange &change);
    void refreshAges();
    void writeLog(const QString &text);
    void writeHandover(const QString &site, const QString &by);

    Services m_services;
    QString m_listPath;
    std::unique_ptr<r5site::SiteCheck> m_check;
    SiteTableModel *m_model = nullptr;
    SiteFilterModel *m_filter = nullptr;
    QTimer m_ages;
    r5::AppendFile m_log;

    QSpinBox *spnInterval = nullptr;
    QCheckBox *chkNotOnline = nullptr;
    QPushButton *cmdExportCsv = nullptr;
    QPushButton *btnHandover = nullptr;
    QTableView *tblSite = nullptr;
    QLabel *lblSummary = nullptr;
};

} // namespace disim
