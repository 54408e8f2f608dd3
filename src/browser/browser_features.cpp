#include "browser/browser_features.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#include <utility>

namespace dropship {

namespace {

using Scope = SettingsStore::Scope;

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

} // namespace

BrowserFeatures::BrowserFeatures(SettingsStore& store, QString executableName)
    : store_(store), executableName_(std::move(executableName)) {}

QString BrowserFeatures::currentExecutableName() {
    // Also needed before QApplication exists (the GPU setting is read before the engine starts).
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    if (self.exists())
        return QFileInfo(self.canonicalFilePath()).fileName();
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

int BrowserFeatures::browserMajorVersion() const {
    const QString key = latin(versionKey);
    std::optional<QString> text;
    if (store_.exists(Scope::Machine, key, QStringLiteral("svcVersion")))
        text = store_.readText(Scope::Machine, key, QStringLiteral("svcVersion"));
    else if (store_.exists(Scope::Machine, key, QStringLiteral("Version")))
        text = store_.readText(Scope::Machine, key, QStringLiteral("Version"));
    if (!text)
        return 0;
    const QString version = text->trimmed();
    if (version.isEmpty())
        return 0;
    // A text without a number before its first "." gives 0, like an absent one.
    return version.section(QLatin1Char('.'), 0, 0).toInt();
}

bool BrowserFeatures::setBrowserEmulation(int version) {
    if (version == 0)
        version = browserMajorVersion();
    const QString key = latin(emulationKey);
    quint32 target = 0;
    switch (version) {
    case 7:
        if (store_.exists(Scope::User, key, executableName_))
            store_.remove(Scope::User, key, executableName_);
        return true;
    case 8:
        target = 8000;
        break;
    case 9:
        target = 9000;
        break;
    case 10:
        target = 9999;
        break;
    default:
        return false;
    }
    if (store_.readNumber(Scope::User, key, executableName_).value_or(0) != target)
        store_.writeNumber(Scope::User, key, executableName_, target);
    return true;
}

bool BrowserFeatures::setGpuRendering() {
    if (browserMajorVersion() < 9)
        return false;
    if (!gpuRenderingEnabled())
        store_.writeNumber(Scope::User, latin(gpuKey), executableName_, 1);
    return true;
}

void BrowserFeatures::setUpAtStart() {
    const bool handled = setBrowserEmulation(0);
    setGpuRendering();
    if (!handled) {
        setBrowserEmulation(10);
        setGpuRendering();
    }
}

bool BrowserFeatures::gpuRenderingEnabled() const {
    return store_.readNumber(Scope::User, latin(gpuKey), executableName_).value_or(0) == 1;
}

void recordEngineVersion(SettingsStore& store) {
    const QString version = QString::fromLatin1(qWebEngineChromiumVersion());
    const QString key = latin(BrowserFeatures::versionKey);
    if (store.readText(Scope::Machine, key, QStringLiteral("svcVersion")) != version)
        store.writeText(Scope::Machine, key, QStringLiteral("svcVersion"), version);
}

QByteArray chromiumFlagsForSettings(const BrowserFeatures& features, const QByteArray& existingFlags) {
    static const QByteArray disableGpu = QByteArrayLiteral("--disable-gpu");
    if (features.gpuRenderingEnabled() || existingFlags.split(' ').contains(disableGpu))
        return existingFlags;
    return existingFlags.isEmpty() ? disableGpu : existingFlags + ' ' + disableGpu;
}

} // namespace dropship
