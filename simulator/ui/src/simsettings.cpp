#include "simsettings.h"

#include <QSettings>

using namespace Qt::StringLiterals;

namespace r5::sim::simsettings {

namespace {
QString read(const QString &key, const QString &fallback)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, u"KV3700_SIMUL"_s);
    s.beginGroup(u"Simulator"_s);
    return s.value(key, fallback).toString();
}

void write(const QString &key, const QString &value)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, u"KV3700_SIMUL"_s);
    s.beginGroup(u"Simulator"_s);
    s.setValue(key, value);
}
} // namespace

QString address()
{
    return read(u"ADDRESS"_s, u"100.100.100.1"_s);
}

QString port()
{
    return read(u"PORT"_s, u"4000"_s);
}

void setAddress(const QString &address)
{
    write(u"ADDRESS"_s, address);
}

void setPort(const QString &port)
{
    write(u"PORT"_s, port);
}

} // namespace r5::sim::simsettings
