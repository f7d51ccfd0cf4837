// Takes the README's picture of the Simulator window: offscreen, listening on 127.0.0.1 as an
// echo server in HexA with a loopback peer sending a few messages, so the list shows traffic.
//
// Usage: sim_screenshot OUT.png
#include "consoleprompter.h"
#include "r5/clock.h"
#include "r5/launcher.h"
#include "sim/frmsimulator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: sim_screenshot OUT.png\n");
        return 2;
    }
    const QString out = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    bench::ConsolePrompter prompter;
    r5::SystemLauncher launcher;
    r5::sim::frmSimulator window(prompter, r5::SystemClock::instance(), launcher, dir.path());
    window.show();

    const auto click = [&](const char *name) {
        window.findChild<QAbstractButton *>(QLatin1StringView(name))->click();
    };
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    click("opt_Client");
    window.findChild<QLineEdit *>(u"txt_Port"_s)->setText(QString::number(port));
    click("opt_Send_recv");
    click("opt_HexA");
    click("Cmd_Start");

    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, port);
    int sent = 0;
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, &app, [&] {
        if (sent == 9) {
            pace.stop();
            QTimer::singleShot(300, &app, [&] {
                const auto *list = window.findChild<QListView *>(u"List1"_s);
                const int rows = list->viewport()->height() / std::max(1, list->sizeHintForRow(0));
                const bool saved = window.grab().save(out, "PNG");
                std::printf("%s: %dx%d window (needs %dx%d), the list shows %d rows\n", qPrintable(out),
                            window.width(), window.height(), window.minimumSizeHint().width(),
                            window.minimumSizeHint().height(), rows);
                for (const char *frame : {"Frame1", "Frame2", "Frame7", "Frame8", "fraBack"}) {
                    const QWidget *w = window.findChild<QWidget *>(QLatin1StringView(frame));
                    std::printf("  %s %dx%d, needs %dx%d\n", frame, w->width(), w->height(),
                                w->minimumSizeHint().width(), w->minimumSizeHint().height());
                }
                app.exit(saved ? 0 : 1);
            });
            return;
        }
        QByteArray message = "R5200TX status " + QByteArray::number(++sent);
        if (sent % 3 == 0)
            message = QByteArray::fromHex("4E5245517E0541500000FE");
        peer.write(message);
    });
    QObject::connect(&peer, &QTcpSocket::connected, &app, [&] { pace.start(120); });
    QObject::connect(&peer, &QTcpSocket::readyRead, &app, [&] { peer.readAll(); });
    return QApplication::exec();
}
