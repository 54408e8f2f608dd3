#include "browser/settings_store.h"

#include <QDir>
#include <QStandardPaths>

namespace dropship {

namespace {

// QSettings separates levels with "/"; the registry with "\". Empty levels (a trailing "\") vanish.
QString settingsKey(const QString& key, const QString& name) {
    QString path = key;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QStringList levels = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return (levels + QStringList{name}).join(QLatin1Char('/'));
}

} // namespace

SettingsStore::SettingsStore(const QString& userFile, const QString& machineFile)
    : user_(std::make_unique<QSettings>(userFile, QSettings::IniFormat)),
      machine_(std::make_unique<QSettings>(machineFile, QSettings::IniFormat)) {}

std::unique_ptr<SettingsStore> SettingsStore::forApplication() {
    // Not the application-named folder: the GPU value is read before QApplication exists, when the
    // application's name is not known yet.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QStringLiteral("/dropship-desk");
    QDir().mkpath(folder);
    return std::make_unique<SettingsStore>(folder + QStringLiteral("/browser_user.ini"),
                                           folder + QStringLiteral("/browser_machine.ini"));
}

QSettings& SettingsStore::settings(Scope scope) const {
    return scope == Scope::User ? *user_ : *machine_;
}

bool SettingsStore::exists(Scope scope, const QString& key, const QString& name) const {
    return settings(scope).contains(settingsKey(key, name));
}

std::optional<QString> SettingsStore::readText(Scope scope, const QString& key, const QString& name) const {
    const QVariant value = settings(scope).value(settingsKey(key, name));
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

std::optional<quint32> SettingsStore::readNumber(Scope scope, const QString& key, const QString& name) const {
    const auto text = readText(scope, key, name);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const quint32 number = text->trimmed().toUInt(&ok);
    return ok ? std::optional<quint32>(number) : std::nullopt;
}

bool SettingsStore::writeNumber(Scope scope, const QString& key, const QString& name, quint32 value) {
    settings(scope).setValue(settingsKey(key, name), value);
    return commit(scope);
}

bool SettingsStore::writeText(Scope scope, const QString& key, const QString& name, const QString& value) {
    settings(scope).setValue(settingsKey(key, name), value);
    return commit(scope);
}

bool SettingsStore::remove(Scope scope, const QString& key, const QString& name) {
    settings(scope).remove(settingsKey(key, name));
    return commit(scope);
}

bool SettingsStore::commit(Scope scope) {
    ++changes_;
    QSettings& target = settings(scope);
    target.sync();
    return target.status() == QSettings::NoError;
}

} // namespace dropship
