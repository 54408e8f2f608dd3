#pragma once
// Shared by the window tests: a window in a temporary folder, pacing scaled down, no web pages.

#include "app/main_window.h"
#include "model/list_file.h"
#include "web/gbk.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace dropship::test {

inline AppConfig windowConfig(const QTemporaryDir& folder, QStringList* saveFailures = nullptr) {
    AppConfig config;
    config.workingFolder = folder.path().toStdString();
    config.pacingScale = 0.001;
    config.openWebPages = false;
    config.reportSaveFailure = [saveFailures](const QString& message) {
        if (saveFailures)
            *saveFailures << message;
    };
    return config;
}

template <class T> T* child(QObject& window, const QString& name) {
    return window.findChild<T*>(name);
}

inline std::filesystem::path listPath(const QTemporaryDir& folder, const char* name) {
    return std::filesystem::path(folder.path().toStdString()) / name;
}

inline QByteArray fileBytes(const std::filesystem::path& file) {
    QFile in(QString::fromStdString(file.string()));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

inline void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    QFile out(QString::fromStdString(file.string()));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// The open notice box of the given object name, or null.
inline QMessageBox* openBox(const QString& name) {
    for (QWidget* widget : QApplication::allWidgets())
        if (widget->objectName() == name && widget->isVisible())
            return qobject_cast<QMessageBox*>(widget);
    return nullptr;
}

inline QString fromGbk(const std::string& text) {
    return QString::fromStdString(gbkToUtf8(text));
}

} // namespace dropship::test

// The embedded browsers want the GL context shared before the application exists.
#define DROPSHIP_WINDOW_TEST_MAIN(TestClass)                                                                 \
    int main(int argc, char** argv) {                                                                        \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                          \
        QStandardPaths::setTestModeEnabled(true);                                                            \
        QApplication app(argc, argv);                                                                        \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
