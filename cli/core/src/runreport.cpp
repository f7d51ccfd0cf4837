#include "r5cli/runreport.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace r5cli {

QString errorKind(int exitCode)
{
    switch (exitCode) {
    case exitcode::Ok:
        return {};
    case exitcode::Usage:
        return u"usage"_s;
    case exitcode::NoAnswer:
        return u"no-answer"_s;
    case exitcode::Differs:
        return u"differs"_s;
    case exitcode::PortNotOpened:
        return u"port"_s;
    case exitcode::NotWritten:
        return u"not-written"_s;
    case exitcode::NotOnline:
        return u"not-online"_s;
    case exitcode::Interrupted:
        return u"interrupted"_s;
    }
    return u"failure"_s;
}

QByteArray reportJson(const RunReport &report)
{
    const auto text = [](const QString &t) { return t.isEmpty() ? QJsonValue() : QJsonValue(t); };
    QJsonObject o = r5commission::readingJson(report.reading);
    o.insert(u"command"_s, text(report.command));
    o.insert(u"ok"_s, report.exitCode == exitcode::Ok);
    o.insert(u"exitCode"_s, report.exitCode);
    o.insert(u"error"_s, report.errorMessage.isEmpty() ? QJsonValue()
                                                       : QJsonObject{{u"kind"_s, errorKind(report.exitCode)},
                                                                     {u"field"_s, text(report.errorField)},
                                                                     {u"message"_s, report.errorMessage}});
    o.insert(u"comparison"_s,
             report.comparison ? QJsonValue(r5commission::comparisonJson(*report.comparison)) : QJsonValue());
    o.insert(u"record"_s, report.record.isEmpty() ? QJsonValue()
                                                  : QJsonObject{{u"file"_s, report.record},
                                                                {u"written"_s, report.recordWritten}});
    o.insert(u"saved"_s, text(report.saved));
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

} // namespace r5cli
