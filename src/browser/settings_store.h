#pragma once
// The small key/value store the browser set-up keeps its values in: two scopes, like a user's and
// a machine's registry hive, each a QSettings file. Keys are backslash paths as the registry
// spells them ("Software\Microsoft\...\FEATURE_GPU_RENDERING\"); a value name is the last level.

#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

namespace dropship {

class SettingsStore {
  public:
    enum class Scope { User, Machine };

    // Each scope is one INI file; tests pass temporary files.
    SettingsStore(const QString& userFile, const QString& machineFile);
    // The application's own files, in ~/.config/dropship-desk. The machine scope is a per-user
    // file as well: it holds facts the application records about the installed engine, so it
    // needs no administrator rights.
    static std::unique_ptr<SettingsStore> forApplication();

    bool exists(Scope scope, const QString& key, const QString& name) const;
    // The value as text; nullopt when absent.
    std::optional<QString> readText(Scope scope, const QString& key, const QString& name) const;
    // The value as an unsigned 32-bit number; nullopt when absent or not a number.
    std::optional<quint32> readNumber(Scope scope, const QString& key, const QString& name) const;
    // Each write is flushed at once; false when the file could not be written.
    bool writeNumber(Scope scope, const QString& key, const QString& name, quint32 value);
    bool writeText(Scope scope, const QString& key, const QString& name, const QString& value);
    bool remove(Scope scope, const QString& key, const QString& name);

    // Number of writes and deletions made through this object, so callers can tell whether a
    // value was rewritten.
    int changeCount() const { return changes_; }

  private:
    QSettings& settings(Scope scope) const;
    bool commit(Scope scope);

    std::unique_ptr<QSettings> user_;
    std::unique_ptr<QSettings> machine_;
    int changes_ = 0;
};

} // namespace dropship
