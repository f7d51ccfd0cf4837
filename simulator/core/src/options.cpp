#include "sim/options.h"

using namespace Qt::StringLiterals;

namespace r5::sim {

bool levelHasList(LogLevel level)
{
    return level == LogLevel::List || level == LogLevel::ListFile;
}

bool levelHasFile(LogLevel level)
{
    return level == LogLevel::File || level == LogLevel::ListFile;
}

namespace notices {
using Icon = Notice::Icon;

Notice inputDestinationIp()
{
    return {Icon::Critical, u"Error"_s, u"Input Destination IP"_s};
}
Notice inputDestinationPort()
{
    return {Icon::Critical, u"Error"_s, u"Input Destination Port"_s};
}
Notice inputPortNo()
{
    return {Icon::Critical, u"Error"_s, u"Input Port No"_s};
}
Notice pleaseInputData()
{
    return {Icon::Exclamation, u"SEND FAIL"_s, u"Please Input Data"_s};
}
Notice invalidData()
{
    return {Icon::Critical, u"Error"_s, u"Invalid Data"_s};
}
Notice inputTimegap()
{
    return {Icon::Exclamation, u"Timegap"_s, u"Input Timegap"_s};
}
Notice inputCount()
{
    return {Icon::Exclamation, u"Count"_s, u"Input Count"_s};
}
Notice inputSendData()
{
    return {Icon::Exclamation, u"Send Data"_s, u"input Send Data"_s};
}
Notice invalidPass()
{
    return {Icon::Critical, u"LogFile"_s, u"Invalid Pass"_s};
}
Notice socketError()
{
    return {Icon::Critical, u"Error"_s, u"E........"_s};
}
Notice crossLimit()
{
    return {Icon::None, QString(), u"IP Address Value Cross Limit"_s};
}
Notice addressFormat()
{
    return {Icon::Information, u"IP Address Error"_s, u" Please Check your IP Address Format"_s};
}
} // namespace notices

} // namespace r5::sim
