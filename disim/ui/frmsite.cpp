#include "ui/frmsite.h"

#include "core/activity.h"
#include "core/sitetext.h"
#include "r5/accessibility.h"
#include "r5/clock.h"
#include "r5/csv.h"
#include "r5/guide.h"
#include "r5/launcher.h"
#include "r5/prompter.h"
#include "r5/screenfit.h"
#include "r5/wholefile.h"
#include "r5device/tcp/icmpecho.h"
#include "r5site/report/output.h"
#include "r5site/sitecheck.h"
#include "ui/frmsim3810.h"
#include "ui/handoverdialog.h"
#include "ui/settings.h"
#include "ui/sitemodel.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace disim {

namespace {
// Ages on screen move on once a second; rows off screen are left until they scroll into view.
constexpr int kAgesMs = 1000;

// Enter on a row does what a double click does.
class EnterFilter final : public QObject
{
public:
    EnterFilter(std::function<void()> enter, QObject *parent) : QObject(parent), m_enter(std::move(enter)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_enter();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_enter;
};
} // namespace

frmSite::frmSite(const Services &services, QList<r5site::SiteEntry> devices, const QString &listPath,
                 QWidget *parent)
    : QWidget(parent), m_services(services), m_listPath(listPath),
      m_check(std::make_unique<r5site::SiteCheck>(std::move(devices), services.clock))
{
    setObjectName(u"frmSite"_s);
    setWindowTitle(u"Site - "_s + QFileInfo(listPath).fileName());
    r5::addGuideKey(this, services.launcher, u"site.html"_s);
    m_check->setEchoFactory(services.makeEcho);

    auto *fit = new r5::ScreenFit(this, r5::ScreenFit::Sizing::Resizable, QSize(1000, 600));
    auto *layout = new QVBoxLayout(fit->page());
    layout->setContentsMargins(fit->windowMargins());

    spnInterval = new QSpinBox;
    spnInterval->setObjectName(u"spnInterval"_s);
    spnInterval->setAccessibleName(u"Interval in seconds"_s);
    spnInterval->setRange(r5site::SiteCore::kMinIntervalSeconds, r5site::SiteCore::kMaxIntervalSeconds);
    spnInterval->setValue(r5site::SiteCore::kDefaultIntervalSeconds);
    spnInterval->setSuffix(u" s"_s);
    auto *intervalLabel = new QLabel(u"Interval"_s);
    intervalLabel->setBuddy(spnInterval);
    chkNotOnline = new QCheckBox(u"Not online only"_s);
    chkNotOnline->setObjectName(u"chkNotOnline"_s);
    chkNotOnline->setAccessibleName(u"Not online only"_s);
    cmdExportCsv = new QPushButton(u"Export CSV…"_s);
    cmdExportCsv->setObjectName(u"cmdExportCsv"_s);
    cmdExportCsv->setAccessibleName(u"Export CSV"_s);
    btnHandover = new QPushButton(u"Handover report…"_s);
    btnHandover->setObjectName(u"btnHandover"_s);
    btnHandover->setAccessibleName(u"Handover report"_s);
    auto *bar = new QHBoxLayout;
    bar->addWidget(intervalLabel);
    bar->addWidget(spnInterval);
    bar->addSpacing(12);
    bar->addWidget(chkNotOnline);
    bar->addStretch(1);
    bar->addWidget(cmdExportCsv);
    bar->addWidget(btnHandover);
    layout->addLayout(bar);

    m_model = new SiteTableModel(*m_check, services.clock, this);
    m_filter = new SiteFilterModel(this);
    m_filter->setSourceModel(m_model);
    tblSite = new QTableView;
    tblSite->setObjectName(u"tblSite"_s);
    tblSite->setAccessibleName(u"Devices"_s);
    tblSite->setModel(m_filter);
    tblSite->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblSite->setSelectionMode(QAbstractItemView::SingleSelection);
    tblSite->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblSite->setWordWrap(false);
    tblSite->verticalHeader()->hide();
    // Rows of one height and columns of set widths: nothing is measured per row, whatever the
    // number of devices.
    tblSite->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tblSite->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    const QFontMetrics fm = fontMetrics();
    const auto width = [&fm](const QString &sample) { return fm.horizontalAdvance(sample) + 16; };
    tblSite->setColumnWidth(SiteTableModel::Label, width(u"Warehouse door"_s));
    tblSite->setColumnWidth(SiteTableModel::Mac, width(u"00:00:00:00:00:00"_s));
    tblSite->setColumnWidth(SiteTableModel::Address, width(u"000.000.000.000:00000"_s));
    tblSite->setColumnWidth(SiteTableModel::State, width(u"not reached"_s) + 8);
    tblSite->setColumnWidth(SiteTableModel::LastReport, width(u"59 min ago"_s));
    tblSite->setColumnWidth(SiteTableModel::Ping, width(u"0000 ms"_s));
    tblSite->setColumnWidth(SiteTableModel::Inputs, width(u"Inputs"_s) + 8);
    tblSite->setColumnWidth(SiteTableModel::Outputs, width(u"Outputs"_s) + 8);
    tblSite->setColumnWidth(SiteTableModel::Counters, width(u"00000 00000 00000 00000 00000 00000"_s));
    tblSite->horizontalHeader()->setStretchLastSection(true);
    tblSite->setSortingEnabled(true);
    tblSite->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder); // list order until asked
    layout->addWidget(tblSite, 1);

    lblSummary = new QLabel;
    lblSummary->setObjectName(u"lblSummary"_s);
    r5::a11y::markValueDisplay(lblSummary, u"Summary"_s);
    r5::a11y::showValue(lblSummary, m_check->summaryLine());
    layout->addWidget(lblSummary);

    connect(spnInterval, &QSpinBox::valueChanged, this, &frmSite::spnInterval_Change);
    connect(chkNotOnline, &QCheckBox::toggled, this, &frmSite::chkNotOnline_Click);
    connect(cmdExportCsv, &QPushButton::clicked, this, &frmSite::cmdExportCsv_Click);
    connect(btnHandover, &QPushButton::clicked, this, &frmSite::btnHandoverClick);
    connect(tblSite, &QTableView::doubleClicked, this, &frmSite::tblSite_DblClick);
    tblSite->installEventFilter(new EnterFilter([this] { tblSite_DblClick(tblSite->currentIndex()); }, this));
    connect(m_check.get(), &r5site::SiteCheck::changed, this, &frmSite::devicesChanged);
    connect(m_check.get(), &r5site::SiteCheck::stateChanged, this, &frmSite::stateChanged);
    m_ages.setInterval(kAgesMs);
    connect(&m_ages, &QTimer::timeout, this, &frmSite::refreshAges);

    writeLog(u"Site check of %1: %2 devices, every %3 s"_s.arg(QDir::toNativeSeparators(listPath))
                 .arg(m_check->size())
                 .arg(m_check->intervalSeconds()));
    m_check->start();
    m_ages.start();
}

frmSite::~frmSite()
{
    // The table reads the check as it draws: it goes before the check does.
    delete tblSite;
    delete m_filter;
    delete m_model;
}

QJsonObject frmSite::currentCheck() const
{
    return m_check->toJson();
}

void frmSite::btnHandoverClick()
{
    Q_EMIT handoverRequested();
    const std::unique_ptr<QSettings> settings = openSettings();
    auto *dialog = new HandoverDialog(settings->value(u"Handover/Site"_s).toString(),
                                      settings->value(u"Handover/By"_s).toString(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const std::unique_ptr<QSettings> remembered = openSettings();
        remembered->setValue(u"Handover/Site"_s, dialog->site());
        remembered->setValue(u"Handover/By"_s, dialog->by());
        writeHandover(dialog->site(), dialog->by());
    });
    dialog->open();
}

void frmSite::writeHandover(const QString &site, const QString &by)
{
    QString name = site;
    name.replace(QRegularExpression(u"[^\\w.-]+"_s, QRegularExpression::UseUnicodePropertiesOption), u"_"_s);
    const QString suggested = QDir(m_services.logFolder)
                                  .filePath(u"handover_"_s + name + u'_' +
                                            m_services.clock.localNow().toString(u"yyyyMMdd"_s) + u".pdf"_s);
    QString pdfPath = m_services.prompter.saveFileName(this, u"Handover report"_s, suggested,
                                                       u"PDF files (*.pdf);;All files (*)"_s);
    if (pdfPath.isEmpty())
        return;
    if (!pdfPath.endsWith(u".pdf"_s, Qt::CaseInsensitive))
        pdfPath += u".pdf"_s;
    const QString htmlPath = pdfPath.chopped(4) + u".html"_s;

    // A commissioning record as the site list gives the report its verdicts; a plain list has none,
    // and the report says the devices were not verified.
    r5commission::Record record;
    if (const r5::FileRead read = r5::readFileUpTo(m_listPath, 256 * 1024 * 1024); read.bytes) {
        if (auto parsed = r5commission::parseRecord(*read.bytes); parsed.value)
            record = std::move(*parsed.value);
    }
    const r5site::report::Report report = r5site::report::build(
        record, currentCheck(), {site, by, m_services.clock.localNow(), r5site::report::systemLanguage()});
    for (const QString &path : {pdfPath, htmlPath}) {
        if (const auto failure = r5site::report::write(report, path)) {
            m_services.prompter.error(this, failure->message, u"Handover report"_s);
            return;
        }
    }
    if (m_services.prompter.askYesNo(this, u"Handover report"_s,
                                     u"Handover report written:\n"_s + QDir::toNativeSeparators(pdfPath) +
                                         u'\n' + QDir::toNativeSeparators(htmlPath) +
                                         u"\n\nOpen them now?"_s)) {
        m_services.launcher.openUrl(QUrl::fromLocalFile(pdfPath));
        m_services.launcher.openUrl(QUrl::fromLocalFile(htmlPath));
    }
}

void frmSite::spnInterval_Change(int seconds)
{
    m_check->setIntervalSeconds(seconds);
}

void frmSite::chkNotOnline_Click(bool on)
{
    m_filter->setNotOnlineOnly(on);
}

void frmSite::devicesChanged(const QList<int> &rows)
{
    m_model->devicesChanged(rows);
    r5::a11y::showValue(lblSummary, m_check->summaryLine());
}

void frmSite::stateChanged(const r5site::StateChange &change)
{
    // The first answers are the check settling, not news; everything after is.
    if (change.from == r5site::SiteState::Checking && change.to == r5site::SiteState::Online)
        return;
    writeLog(r5site::stateChangeText(m_check->entry(change.index), change.from, change.to));
}

void frmSite::writeLog(const QString &text)
{
    // As the day's report log: a line that cannot be written does not stop the watching.
    const QString path = m_services.logFolder + u'/' + siteLogFileName(m_services.clock.localDate());
    m_log.append(path, (timeStamp(m_services.clock.utcNow()) + u' ' + text + u"\r\n"_s).toUtf8());
}

void frmSite::refreshAges()
{
    if (!tblSite->isVisible() || m_filter->rowCount() == 0)
        return;
    const int top = std::max(0, tblSite->rowAt(0));
    int bottom = tblSite->rowAt(tblSite->viewport()->height() - 1);
    if (bottom < 0)
        bottom = m_filter->rowCount() - 1;
    QList<int> rows;
    for (int r = top; r <= bottom; ++r) {
        const int source = m_filter->mapToSource(m_filter->index(r, 0)).row();
        if (m_check->status(source).lastReport.isValid())
            rows.append(source);
    }
    m_model->agesMoved(std::move(rows));
}

void frmSite::cmdExportCsv_Click()
{
    const QString suggested =
        QDir(m_services.logFolder)
            .filePath(u"site_"_s + m_services.clock.localNow().toString(u"yyyyMMdd_HHmmss"_s) + u".csv"_s);
    const QString path = m_services.prompter.saveFileName(this, u"Export CSV"_s, suggested,
                                                          u"CSV files (*.csv);;All files (*)"_s);
    if (path.isEmpty())
        return;
    // The table as shown: its order, its filter; every cell defused as in every file the suite writes.
    QStringList header;
    for (int c = 0; c < SiteTableModel::Columns; ++c)
        header << m_model->headerData(c, Qt::Horizontal).toString();
    QByteArray csv = r5::csv::line(header);
    for (int r = 0; r < m_filter->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < SiteTableModel::Columns; ++c)
            row << m_filter->index(r, c).data(SiteTableModel::ExportRole).toString();
        csv += r5::csv::line(row);
    }
    if (const QString why = r5::replaceFile(path, csv); !why.isEmpty())
        m_services.prompter.warning(this,
                                    u"Could not write %1: %2"_s.arg(QDir::toNativeSeparators(path), why));
}

void frmSite::tblSite_DblClick(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const r5site::SiteEntry &e = m_check->entry(m_filter->mapToSource(index).row());
    std::unique_ptr<Echo> echo = m_services.makeEcho ? m_services.makeEcho() : nullptr;
    if (!echo)
        echo = std::make_unique<IcmpEcho>();
    auto *window = new frmSim_3810({m_services.prompter, m_services.clock, m_services.launcher,
                                    m_services.resolver, *echo, m_services.logFolder});
    // The echo goes with its window, after the ping session that uses it (children go in order).
    echo.release()->setParent(window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setDestination(e.address, e.port);
    window->show();
}

} // namespace disim
