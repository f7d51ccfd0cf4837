#include "r5setup/ui/localaddress.h"

#include "r5fw/downloadwatch.h"

using namespace Qt::StringLiterals;

namespace r5setup {

std::optional<QString> SystemLocalAddress::lookup() const
{
    return r5fw::primaryIPv4Address();
}

QString localAddress(const LocalAddress &lookup)
{
    return lookup.lookup().value_or(u"127.0.0.1"_s);
}

} // namespace r5setup
