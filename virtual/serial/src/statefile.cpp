#include "virt/statefile.h"

#include "virt/devicemodel.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

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
    QFile file(m_path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
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
    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(state.toJson()).toJson()) >= 0 &&
        file.commit())
        return true;
    if (error)
        *error = u"cannot write the state file "_s + m_path + u": "_s + file.errorString();
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
