#pragma once

#include "r5device/linetexts.h"

#include <QLatin1StringView>
#include <QString>
#include <r5/version.h>

// The window's own texts: captions, log lines and questions of the shell.
namespace r5setup::text {

using namespace Qt::StringLiterals;

inline QString appTitle()
{
    return u"Korvia R5200TX Serial Setup Program"_s;
}
inline QString programName()
{
    return u"R5200TX Serial Setup"_s;
}
inline QString version()
{
    return QLatin1StringView(r5::versionText);
}

inline QString startLine()
{
    return u"Start R5200TX Serial Setup Program..."_s;
}
inline QString exitLine()
{
    return u"Korvia R5200TX Serial Setup Program Exit... "_s;
}
inline QString exitQuestion()
{
    return u"프로그램을 종료하시겠습니까? "_s;
}

// The box when the port does not open: the port, the system's reason and what to do about it.
inline QString openFailed(const QString &port, const QString &why, const QString &advice)
{
    const QString line = u"Port["_s + port + u"]: "_s + why;
    return advice.isEmpty() ? line : line + u'\n' + advice;
}

// SETUP.INI could not be read at start (the defaults stand) or saved at close.
inline QString configNotRead(const QString &path, const QString &why)
{
    return u"SETUP.INI Read ERROR!! ["_s + path + u"] "_s + why + u"; the defaults are used."_s;
}
inline QString configNotSaved(const QString &path, const QString &why)
{
    return u"SETUP.INI Save ERROR!! ["_s + path + u"] "_s + why + u"; this run's settings are not saved."_s;
}

} // namespace r5setup::text
