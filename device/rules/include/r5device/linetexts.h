#pragma once

#include <QString>

// The serial line's log texts, the same in devsetup's log and r5200tx-cli's day log, so one
// day's file reads alike whichever program wrote it.
namespace r5setup::text {

using namespace Qt::StringLiterals;

inline QString tryingOpen()
{
    return u"Trying Korvia R5200TX Comport Open... "_s;
}
inline QString connectionSuccess(const QString &port)
{
    return u"Connection Success with Korvia R5200TX on Port["_s + port + u']';
}
inline QString connectionClose()
{
    return u"Connection Close from Korvia R5200TX."_s;
}
// With the flag's name ("[ceRxParity]") when one flag alone was raised.
inline QString lineError(const QString &flagName = {})
{
    return flagName.isEmpty() ? u"CPort OnError Occured!!"_s : u"CPort OnError Occured!! "_s + flagName;
}

} // namespace r5setup::text
