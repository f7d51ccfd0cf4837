#include "virt/statefile.h"

#include "r5/wholefile.h"
#include "virt/devicemodel.h"

#include <QFile>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace virt {

StateFile::StateFile(const QString &path, QObject *parent) : QObject(parent), m_path(path) {}

std::optional<DeviceState> StateFile::load(QString *error) const
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = m_path + u": "_s + why;
        return std::nullopt;
    };
    if (error)
        error->clear();
    if (!QFile::exists(m_path))
        return std::nullopt;
    const r5::FileRead read = r5::readFileUpTo(m_path, kMaxBytes);
    if (!read.bytes)
        return fail(read.tooLarge ? u"larger than %1 bytes, not a state file"_s.arg(kMaxBytes) : read.error);
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(*read.bytes, &parseError);
    if (!doc.isObject())
        return fail(parseError.errorString());
    QString why;
    std::optional<DeviceState> loaded = DeviceState::fromJson(doc.object(), &why);
    if (!loaded)
        return fail(why);
    if (loaded->firmwareDownload.result == FirmwareDownload::Result::Pending) {
        loaded->firmwareDownload.result = FirmwareDownload::Result::Failed;
        loaded->firmwareDownload.error = u"interrupted by a restart"_s;
    }
    return loaded;
}

bool StateFile::save(const DeviceState &state, QString *error) const
{
    const QString why = r5::replaceFile(m_path, QJsonDocument(state.toJson()).toJson());
    if (why.isEmpty())
        return true;
    if (error)
        *error = u"cannot write the state file "_s + m_path + u": "_s + why +
                 u"; it still holds the settings saved before"_s;
    return false;
}

bool StateFile::keep(DeviceModel &model, QString *error)
{
    QString why;
    if (const std::optional<DeviceState> loaded = load(&why)) {
        model.restore(*loaded);
        Q_EMIT log(u"state loaded from "_s + m_path);
    } else if (!why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    } else if (!save(model.state(), error)) {
        return false;
    }
    connect(&model, &DeviceModel::stateChanged, this, [this, &model] {
        QString failure;
        if (!save(model.state(), &failure))
            Q_EMIT log(failure);
    });
    return true;
}

} // namespace virt
