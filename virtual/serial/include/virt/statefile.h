#pragma once

#include "virt/devicestate.h"

#include <QObject>
#include <QString>
#include <optional>

namespace virt {

class DeviceModel;

// The device's settings kept in a JSON file across restarts, written whole (through a
// temporary file, so a crash or a full disk leaves the old or the new file, never half of one).
class StateFile final : public QObject
{
    Q_OBJECT
public:
    // A state file is a few kilobytes; anything far larger is not one.
    static constexpr qint64 kMaxBytes = 1024 * 1024;

    explicit StateFile(const QString &path, QObject *parent = nullptr);

    QString path() const { return m_path; }

    // The state in the file; nullopt with `error` empty when there is no file, and with
    // `error` set when it cannot be read or holds bad values. A download that was still
    // running is recorded as interrupted: the fetch went with the process that ran it.
    std::optional<DeviceState> load(QString *error) const;
    bool save(const DeviceState &state, QString *error = nullptr) const;

    // Starts `model` from the file when there is one (else writes the model's state to it) and
    // writes every later change. False, with `error` set, when the file cannot be used: the
    // model and the file are then left as they were.
    bool keep(DeviceModel &model, QString *error = nullptr);

Q_SIGNALS:
    void log(const QString &line);

private:
    QString m_path;
};

} // namespace virt
