#pragma once
// What the main window is built with. The application fills it from its command line; tests fill
// it to run the window in a temporary folder without the network.

#include "web/endpoints.h"

#include <QString>
#include <filesystem>
#include <functional>

namespace dropship {

class MainWindow;

struct AppConfig {
    std::filesystem::path workingFolder = std::filesystem::current_path(); // holds the two list files
    Endpoints endpoints;
    double pacingScale = 1.0; // factor on every pause of the jobs
    bool openWebPages = true; // false: the browsers load nothing (tests that do not need them)
    // The browsers' part of the start-up (delete the marketplace's cookies, open the login page).
    // Empty: the login page is opened in the login browser when openWebPages is set.
    std::function<void(MainWindow&)> startBrowsers;
    // Tells the user that a list file could not be written. Empty: a warning box.
    std::function<void(const QString& message)> reportSaveFailure;
};

} // namespace dropship
