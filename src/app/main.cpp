// dropship-desk: the drop-shipping desk, one window.

#include "app/main_window.h"
#include "app/termination_watcher.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // The embedded browsers share their GL context with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);

    dropship::AppConfig config;
    // Command-line options (endpoints of the marketplace, working folder) are read here into
    // config before the window is built.

    dropship::TerminationWatcher termination;
    dropship::MainWindow window(std::move(config));
    window.watchTermination(termination);
    window.show();
    return application.exec();
}
