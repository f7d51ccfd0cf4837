// The Site window driven as a user drives it, offscreen, against virtual devices on 127.0.0.1
// (one port each) and a port nobody listens on; time for the state rules from the fake clock.
#include "core/activity.h"
#include "simfixture.h"
#include "ui/frmsite.h"
#include "virt/tcpside.h"

#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTcpServer>

using namespace Qt::StringLiterals;

namespace {
QString csvLine(const QString &address, quint16 port, const QString &label)
{
    return address + u',' + QString::number(port) + u',' + label + u"\r\n"_s;
}
} // namespace

class TstFrmSite : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    // Three devices and a dead port: the summary, a device switched off turning "offline" (its row
    // marked, its age going on), the dead one "not reached", sorting, the filter, Export CSV of what
    // is shown, the state log, a double click opening the device window, the handover button,
    // and the device back online.
    void watchSite();
    // The main window's "Site" button: a list chosen, a list that cannot be used, no list.
    void openedFromMainWindow_data();
    void openedFromMainWindow();

private:
    QTemporaryDir m_settings;
};

void TstFrmSite::initTestCase()
{
    disim::test::isolateSettings(m_settings);
}

void TstFrmSite::watchSite()
{
    std::array<virt::TcpSide, 3> devices;
    std::array<quint16, 3> ports{};
    for (std::size_t i = 0; i < devices.size(); ++i) {
        virt::TcpConfig c;
        c.port = 0;
        QVERIFY(devices[i].start(c));
        // Kept, so a device switched on again comes back where it was.
        c.port = ports[i] = devices[i].port();
        devices[i].reconfigure(c);
    }
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 dead = probe.serverPort();
    probe.close();

    QTemporaryDir dir;
    r5::test::FakePrompter prompter;
    r5::test::FakeClock clock;
    r5::test::FakeLauncher launcher;
    disim::test::FakeResolver resolver;
    const QString formula = u"=HYPERLINK(\"http://x\")"_s;
    const QString listPath = dir.filePath(u"site.csv"_s);
    {
        QFile list(listPath);
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write((u"Address,Port,Label\r\n"_s + csvLine(u"127.0.0.1"_s, ports[0], u"Hall"_s) +
                    csvLine(u"127.0.0.1"_s, ports[1], formula) + csvLine(u"127.0.0.1"_s, dead, u"Gate"_s) +
                    csvLine(u"127.0.0.1"_s, ports[2], u"Dock"_s))
                       .toUtf8());
    }
    const r5site::SiteList list = r5site::readSiteList(listPath);
    QVERIFY2(list.ok(), qPrintable(list.error));
    disim::frmSite window({prompter, clock, launcher, resolver,
                           [] { return std::make_unique<disim::test::FakeEcho>(); }, dir.path()},
                          list.entries, listPath);
    window.show();
    auto *summary = window.findChild<QLabel *>(u"lblSummary"_s);
    auto *table = window.findChild<QTableView *>(u"tblSite"_s);
    QAbstractItemModel *shown = table->model();
    const auto cell = [&](int row, int column) { return shown->index(row, column).data().toString(); };
    // Polls go out as the (fake) clock reaches them; each step gives the answers time to come.
    const auto polls = [&](int n) {
        for (int i = 0; i < n; ++i) {
            clock.advanceMs(2000);
            QTest::qWait(400);
        }
    };

    QTRY_COMPARE(summary->text(), u"4 devices: 3 online, 0 offline, 0 not reached, 1 checking"_s);
    QCOMPARE(cell(0, 4), u"0 s ago"_s);
    devices[1].halt();
    polls(3);
    const QString offlineAt = disim::timeStamp(clock.utcNow());
    QTRY_COMPARE(summary->text(), u"4 devices: 2 online, 1 offline, 1 not reached"_s);
    QCOMPARE(cell(1, 3), u"offline"_s);
    QCOMPARE(cell(2, 3), u"not reached"_s);
    QTRY_COMPARE(cell(1, 4), u"6 s ago"_s);
    QCOMPARE(cell(0, 4), u"0 s ago"_s);
    for (int row = 0; row < 4; ++row) {
        const bool down = row == 1 || row == 2;
        QCOMPARE(shown->index(row, 0).data(Qt::BackgroundRole).value<QColor>().isValid(), down);
    }

    // "State" ascending puts the devices in trouble first.
    auto *header = table->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
    QCOMPARE(cell(0, 0) + u'|' + cell(1, 0), formula + u"|Gate"_s);

    QTest::mouseClick(window.findChild<QCheckBox *>(u"chkNotOnline"_s), Qt::LeftButton, {}, QPoint(4, 4));
    QCOMPARE(shown->rowCount(), 2);
    const QString exported = dir.filePath(u"export.csv"_s);
    prompter.answerFile(exported);
    QTest::mouseClick(window.findChild<QWidget *>(u"cmdExportCsv"_s), Qt::LeftButton);
    QFile file(exported);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray state = virt::buildReport(devices[1].state(), 'N', false);
    const QStringList rows = QString::fromUtf8(file.readAll()).split(u"\r\n"_s);
    QCOMPARE(rows.size(), 4); // and the last row ended
    QCOMPARE(rows[0], u"Label,MAC,Address,State,Last report,Ping,Inputs,Outputs,Counters,Counting"_s);
    QCOMPARE(rows[1], u"\"'=HYPERLINK(\"\"http://x\"\")\",,127.0.0.1:%1,offline,2026-12-07 09:15:02,,%2,%3,"
                      "0 0 0 0 0 0,no"_s.arg(QString::number(ports[1]), QString::fromLatin1(state.mid(1, 6)),
                                             QString::fromLatin1(state.mid(7, 2))));
    QCOMPARE(rows[2], u"Gate,,127.0.0.1:%1,not reached,,,,,,"_s.arg(dead));
    QCOMPARE(prompter.takeBoxes().size(), 1); // the save dialog, and nothing else

    // The device window on the device of the row, not yet connected.
    const QPoint row = table->visualRect(shown->index(0, 2)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, row);
    disim::frmSim_3810 *device = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        device = device ? device : qobject_cast<disim::frmSim_3810 *>(w);
    QVERIFY(device);
    QCOMPARE(device->findChild<QLineEdit *>(u"txtDestIP"_s)->text(), u"127.0.0.1"_s);
    QCOMPARE(device->findChild<QLineEdit *>(u"txtDestPort"_s)->text(), QString::number(ports[1]));
    QVERIFY(device->findChild<QPushButton *>(u"cmdConnect"_s)->isEnabled());
    delete device;

    auto *handover = window.findChild<QPushButton *>(u"btnHandover"_s);
    QCOMPARE(handover->text(), u"Handover report…"_s);
    QSignalSpy asked(&window, &disim::frmSite::handoverRequested);
    QTest::mouseClick(handover, Qt::LeftButton);
    QCOMPARE(asked.size(), 1);
    // The report of this check (in the system's language; the labels as they are): the site and who
    // hands over are asked for (and remembered), the PDF and the HTML page are written side by side
    // and offered to open.
    const auto handoverDialog = [&window] { return window.findChild<QDialog *>(u"dlgHandover"_s); };
    QVERIFY(handoverDialog());
    handoverDialog()->findChild<QLineEdit *>(u"txtSite"_s)->setText(u"Plant 2"_s);
    handoverDialog()->findChild<QLineEdit *>(u"txtBy"_s)->setText(u"Kim Jiho"_s);
    const QString reportPath = dir.filePath(u"plant2.pdf"_s);
    prompter.answerFile(reportPath);
    prompter.answerYes();
    const qsizetype opened = launcher.urls.size();
    handoverDialog()->accept();
    QFile pdf(reportPath);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    QFile page(dir.filePath(u"plant2.html"_s));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    QVERIFY(html.contains(u"Plant 2"_s) && html.contains(u"Kim Jiho"_s) && html.contains(u"Dock"_s));
    QCOMPARE(launcher.urls.mid(opened), (QList<QUrl>{QUrl::fromLocalFile(reportPath),
                                                     QUrl::fromLocalFile(dir.filePath(u"plant2.html"_s))}));
    QCOMPARE(prompter.takeBoxes().size(), 2); // the save dialog and the offer to open
    QTRY_VERIFY(!handoverDialog());
    QTest::mouseClick(handover, Qt::LeftButton);
    QVERIFY(handoverDialog());
    QCOMPARE(handoverDialog()->findChild<QLineEdit *>(u"txtSite"_s)->text(), u"Plant 2"_s);
    handoverDialog()->reject();
    const QJsonObject check = window.currentCheck();
    QCOMPARE(check[u"devices"_s].toArray().size(), 4);
    QCOMPARE(check[u"offline"_s].toInt(), 1);

    QVERIFY(devices[1].resume()); // on the port it had
    QCOMPARE(devices[1].port(), ports[1]);
    polls(1);
    const QString onlineAt = disim::timeStamp(clock.utcNow());
    QTRY_COMPARE(summary->text(), u"4 devices: 3 online, 0 offline, 1 not reached"_s);
    QCOMPARE(shown->rowCount(), 1); // the filter follows the states

    QFile log(dir.filePath(u"20261207_site.txt"_s));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(log.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts);
    const QString who = u"127.0.0.1:%1 %2: "_s.arg(ports[1]).arg(formula);
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines[0].endsWith(u"4 devices, every 2 s"_s));
    QCOMPARE(lines.filter(offlineAt + u' ' + who + u"online -> offline"_s).size(), 1);
    QCOMPARE(lines.filter(u"Gate: checking -> not reached"_s).size(), 1);
    QCOMPARE(lines.filter(onlineAt + u' ' + who + u"offline -> online"_s).size(), 1);
}

void TstFrmSite::openedFromMainWindow_data()
{
    QTest::addColumn<QString>("list"); // empty: the dialog is cancelled
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("message");
    QTest::newRow("site list") << u"Address,Port\r\n127.0.0.1,%1\r\n"_s
                               << u"1 devices: 0 online, 0 offline, 0 not reached, 1 checking"_s << QString();
    QTest::newRow("bad port") << u"Address,Port\r\n127.0.0.1,70000\r\n"_s << QString()
                              << u"site.csv: line 2: "_s;
    QTest::newRow("cancelled") << QString() << QString() << QString();
}

void TstFrmSite::openedFromMainWindow()
{
    QFETCH(QString, list);
    QFETCH(QString, summary);
    QFETCH(QString, message);
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 dead = probe.serverPort();
    probe.close();
    disim::test::SimFixture f;
    const QString path = f.logDir.filePath(u"site.csv"_s);
    if (!list.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QString(list).replace(u"%1"_s, QString::number(dead)).toUtf8());
    }
    f.prompter.answerFile(list.isEmpty() ? QString() : path);
    f.click(u"cmdSite"_s);

    std::unique_ptr<disim::frmSite> site;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *s = qobject_cast<disim::frmSite *>(w))
            site.reset(s);
    }
    QCOMPARE(bool(site), !summary.isEmpty());
    if (site)
        QCOMPARE(site->findChild<QLabel *>(u"lblSummary"_s)->text(), summary);
    QStringList texts = f.prompter.takeTexts();
    texts.removeFirst(); // the open dialog
    QCOMPARE(texts.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(texts.first().startsWith(path + u": line 2: "_s), qPrintable(texts.first()));
}

QTEST_MAIN(TstFrmSite)
#include "tst_frmsite.moc"
