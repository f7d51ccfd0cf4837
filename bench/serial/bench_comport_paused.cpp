// Opens a serial port (115200 8N1) and never reads from it: the port stops reading once
// ComPort::kMaxHeld bytes wait, and stays open until the program is ended.
//   bench_comport_paused COMn
#include "r5/comport.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: bench_comport_paused COMn\n", stderr);
        return 2;
    }
    r5::ComPort port;
    r5::ComPort::Settings settings;
    settings.portName = QString::fromLocal8Bit(argv[1]);
    if (!port.open(settings)) {
        std::fprintf(stderr, "cannot open: %s\n", qPrintable(port.errorString()));
        return 1;
    }
    QObject::connect(&port, &r5::ComPort::failed, &app, [] { QCoreApplication::exit(1); });
    std::puts("open");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
