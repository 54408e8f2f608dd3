// Browser feature values over a settings file: the version table, the write-only-when-different
// rule and what the GPU value does to the engine's start flags.
#include "browser/browser_features.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

using namespace dropship;
using Scope = SettingsStore::Scope;

namespace {

const QString exe = QStringLiteral("dropship_desk.exe");
const QString versionKey = QString::fromLatin1(BrowserFeatures::versionKey);
const QString emulationKey = QString::fromLatin1(BrowserFeatures::emulationKey);
const QString gpuKey = QString::fromLatin1(BrowserFeatures::gpuKey);

} // namespace

class BrowserFeaturesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<SettingsStore> store_;

    QString userFile() const { return dir_.filePath(QStringLiteral("user.ini")); }

    // -1 for an absent value.
    qint64 stored(const QString& key) const {
        const auto number = store_->readNumber(Scope::User, key, exe);
        return number ? qint64(*number) : -1;
    }

  private slots:
    void init() {
        QFile::remove(userFile());
        QFile::remove(dir_.filePath(QStringLiteral("machine.ini")));
        store_ = std::make_unique<SettingsStore>(userFile(), dir_.filePath(QStringLiteral("machine.ini")));
    }

    void storeBasics() {
        QVERIFY(!store_->exists(Scope::User, emulationKey, exe));
        QVERIFY(store_->writeNumber(Scope::User, emulationKey, exe, 4294967295u));
        QVERIFY(store_->exists(Scope::User, emulationKey, exe));
        QVERIFY(!store_->exists(Scope::Machine, emulationKey, exe));
        QCOMPARE(store_->readNumber(Scope::User, emulationKey, exe), std::optional<quint32>(4294967295u));
        QCOMPARE(store_->readText(Scope::User, emulationKey, exe),
                 std::optional<QString>(QStringLiteral("4294967295")));
        QVERIFY(
            store_->writeText(Scope::Machine, versionKey, QStringLiteral("Version"), QStringLiteral("9.x")));
        QCOMPARE(store_->readNumber(Scope::Machine, versionKey, QStringLiteral("Version")), std::nullopt);
        QVERIFY(store_->remove(Scope::User, emulationKey, exe));
        QVERIFY(!store_->exists(Scope::User, emulationKey, exe));
        QCOMPARE(store_->changeCount(), 3);

        // Another object on the same files sees the values: they are on disk.
        SettingsStore reopened(userFile(), dir_.filePath(QStringLiteral("machine.ini")));
        QCOMPARE(reopened.readText(Scope::Machine, versionKey, QStringLiteral("Version")),
                 std::optional<QString>(QStringLiteral("9.x")));
    }

    void unwritableFileIsReportedNotThrown() {
        SettingsStore broken(QStringLiteral("/proc/no-such-dir/user.ini"),
                             QStringLiteral("/proc/no-such-dir/m.ini"));
        QVERIFY(!broken.writeNumber(Scope::User, emulationKey, exe, 9000));
        BrowserFeatures features(broken, exe);
        QCOMPARE(features.browserMajorVersion(), 0);
    }

    void majorVersion_data() {
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("major");
        QTest::newRow("svcVersion") << "svcVersion"
                                    << "11.0.9600.17843" << 11;
        QTest::newRow("Version") << "Version"
                                 << "9.0.8112.16421" << 9;
        QTest::newRow("blanks trimmed") << "Version"
                                        << "  8.0.7601.17514 " << 8;
        QTest::newRow("no dot") << "svcVersion"
                                << "10" << 10;
        QTest::newRow("empty") << "svcVersion"
                               << "" << 0;
        QTest::newRow("only blanks") << "Version"
                                     << "   " << 0;
        QTest::newRow("not a number") << "Version"
                                      << "abc.1" << 0;
        QTest::newRow("chromium") << "svcVersion"
                                  << "102.0.5005.177" << 102;
        QTest::newRow("none") << ""
                              << "" << 0;
    }

    void majorVersion() {
        QFETCH(QString, valueName);
        QFETCH(QString, text);
        QFETCH(int, major);
        if (!valueName.isEmpty())
            store_->writeText(Scope::Machine, versionKey, valueName, text);
        QCOMPARE(BrowserFeatures(*store_, exe).browserMajorVersion(), major);
    }

    void svcVersionWinsOverVersion() {
        store_->writeText(Scope::Machine, versionKey, QStringLiteral("Version"),
                          QStringLiteral("9.11.9600.17843"));
        store_->writeText(Scope::Machine, versionKey, QStringLiteral("svcVersion"),
                          QStringLiteral("11.0.9600.17843"));
        QCOMPARE(BrowserFeatures(*store_, exe).browserMajorVersion(), 11);
    }

    // One detected version: what the first emulation call and the GPU call answer and store.
    void detectedVersion_data() {
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("emulationHandled");
        QTest::addColumn<qint64>("emulation");
        QTest::addColumn<bool>("gpuHandled");
        QTest::addColumn<qint64>("gpu");
        QTest::newRow("IE8 without svcVersion")
            << "Version"
            << "8.0.7601.17514" << true << qint64(8000) << false << qint64(-1);
        QTest::newRow("IE9") << "Version"
                             << "9.0.8112.16421" << true << qint64(9000) << true << qint64(1);
        QTest::newRow("IE10") << "svcVersion"
                              << "10.0.9200.16521" << true << qint64(9999) << true << qint64(1);
        QTest::newRow("IE11") << "svcVersion"
                              << "11.0.9600.17843" << false << qint64(-1) << true << qint64(1);
        QTest::newRow("nothing found") << ""
                                       << "" << false << qint64(-1) << false << qint64(-1);
    }

    void detectedVersion() {
        QFETCH(QString, valueName);
        QFETCH(QString, text);
        QFETCH(bool, emulationHandled);
        QFETCH(qint64, emulation);
        QFETCH(bool, gpuHandled);
        QFETCH(qint64, gpu);
        if (!valueName.isEmpty())
            store_->writeText(Scope::Machine, versionKey, valueName, text);
        BrowserFeatures features(*store_, exe);
        QCOMPARE(features.setBrowserEmulation(), emulationHandled);
        QCOMPARE(stored(emulationKey), emulation);
        QCOMPARE(features.setGpuRendering(), gpuHandled);
        QCOMPARE(stored(gpuKey), gpu);
    }

    void startUpRetriesWithNewestMode() {
        store_->writeText(Scope::Machine, versionKey, QStringLiteral("svcVersion"),
                          QStringLiteral("11.0.9600.17843"));
        BrowserFeatures features(*store_, exe);
        QVERIFY(!features.setBrowserEmulation());
        QCOMPARE(stored(emulationKey), -1);
        QVERIFY(features.setBrowserEmulation(10));
        QCOMPARE(stored(emulationKey), 9999);

        init();
        store_->writeText(Scope::Machine, versionKey, QStringLiteral("svcVersion"),
                          QStringLiteral("11.0.9600.17843"));
        BrowserFeatures atStart(*store_, exe);
        atStart.setUpAtStart();
        QCOMPARE(stored(emulationKey), 9999);
        QCOMPARE(stored(gpuKey), 1);
    }

    void version7DeletesExistingValue() {
        store_->writeNumber(Scope::User, emulationKey, exe, 9000);
        store_->writeNumber(Scope::User, emulationKey, QStringLiteral("other.exe"), 8000);
        BrowserFeatures features(*store_, exe);
        QVERIFY(features.setBrowserEmulation(7));
        QVERIFY(!store_->exists(Scope::User, emulationKey, exe));
        QCOMPARE(store_->readNumber(Scope::User, emulationKey, QStringLiteral("other.exe")),
                 std::optional<quint32>(8000));

        const int changes = store_->changeCount();
        QVERIFY(features.setBrowserEmulation(7));
        QCOMPARE(store_->changeCount(), changes); // nothing to delete, nothing written
        QVERIFY(!store_->exists(Scope::User, emulationKey, exe));
    }

    void otherVersionsChangeNothing() {
        store_->writeNumber(Scope::User, emulationKey, exe, 8000);
        BrowserFeatures features(*store_, exe);
        const int changes = store_->changeCount();
        QVERIFY(!features.setBrowserEmulation(6));
        QVERIFY(!features.setBrowserEmulation(11));
        QCOMPARE(store_->changeCount(), changes);
        QCOMPARE(stored(emulationKey), 8000);
    }

    void valueAtTargetIsNotRewritten() {
        store_->writeText(Scope::Machine, versionKey, QStringLiteral("Version"),
                          QStringLiteral("9.0.8112.16421"));
        store_->writeNumber(Scope::User, emulationKey, exe, 9000);
        store_->writeNumber(Scope::User, gpuKey, exe, 1);
        QFile before(userFile());
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray content = before.readAll();
        const int changes = store_->changeCount();

        BrowserFeatures features(*store_, exe);
        QVERIFY(features.setBrowserEmulation());
        QVERIFY(features.setGpuRendering());
        QCOMPARE(store_->changeCount(), changes);
        QFile after(userFile());
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), content);
    }

    void differingValueIsReplaced() {
        store_->writeText(Scope::Machine, versionKey, QStringLiteral("Version"),
                          QStringLiteral("8.0.7601.17514"));
        store_->writeNumber(Scope::User, emulationKey, exe, 9999);
        BrowserFeatures features(*store_, exe);
        QVERIFY(features.setBrowserEmulation());
        QCOMPARE(stored(emulationKey), 8000);
    }

    void engineVersionRecordedAtStart() {
        recordEngineVersion(*store_);
        const QString chromium = QString::fromLatin1(qWebEngineChromiumVersion());
        QCOMPARE(store_->readText(Scope::Machine, versionKey, QStringLiteral("svcVersion")),
                 std::optional<QString>(chromium));
        const int changes = store_->changeCount();
        recordEngineVersion(*store_);
        QCOMPARE(store_->changeCount(), changes);

        BrowserFeatures features(*store_, exe);
        QVERIFY(features.browserMajorVersion() > 10);
        features.setUpAtStart();
        QCOMPARE(stored(emulationKey), 9999);
        QVERIFY(features.gpuRenderingEnabled());
    }

    void gpuValueDrivesEngineFlags_data() {
        QTest::addColumn<qint64>("gpu");
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QByteArray>("flags");
        QTest::newRow("on") << qint64(1) << QByteArray("--no-first-run") << QByteArray("--no-first-run");
        QTest::newRow("absent") << qint64(-1) << QByteArray() << QByteArray("--disable-gpu");
        QTest::newRow("zero") << qint64(0) << QByteArray("--no-first-run")
                              << QByteArray("--no-first-run --disable-gpu");
        QTest::newRow("already off") << qint64(0) << QByteArray("--disable-gpu --x")
                                     << QByteArray("--disable-gpu --x");
    }

    void gpuValueDrivesEngineFlags() {
        QFETCH(qint64, gpu);
        QFETCH(QByteArray, existing);
        QFETCH(QByteArray, flags);
        if (gpu >= 0)
            store_->writeNumber(Scope::User, gpuKey, exe, quint32(gpu));
        QCOMPARE(chromiumFlagsForSettings(BrowserFeatures(*store_, exe), existing), flags);
    }

    void executableNameIsTheRunningFile() {
        QCOMPARE(BrowserFeatures::currentExecutableName(), QStringLiteral("browser_features_test"));
    }
};

QTEST_GUILESS_MAIN(BrowserFeaturesTest)
#include "browser_features_test.moc"
