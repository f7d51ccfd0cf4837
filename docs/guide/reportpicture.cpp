// Draws the guide's picture of the handover report's first page from the sample record and site
// check beside it, laid out by the report itself; the date is fixed so the picture only changes
// when the report does.
//
// Usage: r5_report_picture RECORD.csv CHECK.json ko|en OUT.png
#include "r5site/report/output.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int fail(const QString &why)
{
    std::fprintf(stderr, "r5_report_picture: %s\n", qPrintable(why));
    return 1;
}

std::optional<QByteArray> read(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 5)
        return fail(u"usage: r5_report_picture RECORD.csv CHECK.json ko|en OUT.png"_s);
    const auto recordBytes = read(args.at(1));
    const auto checkBytes = read(args.at(2));
    if (!recordBytes || !checkBytes)
        return fail(u"the sample files cannot be read"_s);
    const auto record = r5commission::parseRecord(*recordBytes);
    const auto check = r5site::report::parseCheck(*checkBytes);
    if (!record.value || !check.value)
        return fail(record.error + check.error);

    namespace report = r5site::report;
    report::Options options;
    const bool korean = args.at(3) == u"ko"_s;
    options.language = korean ? report::Language::Korean : report::Language::English;
    options.site = korean ? u"제2공장"_s : u"Plant 2"_s;
    options.by = korean ? u"김지호"_s : u"Kim Jiho"_s;
    options.at = QDateTime::fromString(u"2024-05-02T17:40:00+09:00"_s, Qt::ISODate);
    const QImage page =
        report::firstPage(report::sheet(report::build(*record.value, check.value, options)), 110);
    QImageWriter writer(args.at(4), "png");
    if (!writer.write(page))
        return fail(args.at(4) + u": "_s + writer.errorString());
    return 0;
}
