#pragma once
// The two per-executable browser feature values and the engine version they are chosen by.
//
// The values keep the layout the registry version of this tool used (same keys, same numbers), so
// stored settings stay readable. What they do with Qt WebEngine:
// - the emulation value (8000, 9000, 9999) controls nothing: Chromium always renders in standards
//   mode. It is written only so that the stored settings keep their meaning and history.
// - the GPU rendering value is read before the engine starts (chromiumFlagsForSettings): when it is
//   not 1, Chromium is started with --disable-gpu. A change takes effect at the next start.
// - the engine version texts in the machine scope are written by the application at every start
//   (recordEngineVersion) with the Chromium version of Qt WebEngine; a value there that is not an
//   old Internet Explorer number (7 to 10) makes setBrowserEmulation(0) answer false, and the
//   start-up then asks for the newest mode (10, i.e. 9999).

#include "browser/settings_store.h"

#include <QString>

namespace dropship {

class BrowserFeatures {
  public:
    static constexpr const char* versionKey = "SOFTWARE\\Microsoft\\Internet Explorer";
    static constexpr const char* emulationKey =
        "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION\\";
    static constexpr const char* gpuKey =
        "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_GPU_RENDERING\\";

    // executableName: the value name, the running program's file name with its extension.
    explicit BrowserFeatures(SettingsStore& store, QString executableName = currentExecutableName());

    // Major version of the installed engine ("svcVersion", else "Version"), 0 when none is found.
    int browserMajorVersion() const;
    // version 0 = detect. 7 deletes the emulation value; 8, 9, 10 store 8000, 9000, 9999 (only when
    // different). True when the version was one of 7 to 10.
    bool setBrowserEmulation(int version = 0);
    // For an engine of version 9 or later makes sure the GPU value is 1 and answers true.
    bool setGpuRendering();
    // Step 5 of the start-up: emulation for the detected version and GPU rendering; when the
    // emulation did not handle the version, once more for version 10.
    void setUpAtStart();

    // True when the stored GPU rendering value is 1.
    bool gpuRenderingEnabled() const;

    static QString currentExecutableName();
    SettingsStore& store() const { return store_; }

  private:
    SettingsStore& store_;
    QString executableName_;
};

// Writes the running engine's version (the Chromium version of Qt WebEngine) as "svcVersion" in the
// machine scope, where browserMajorVersion looks for it.
void recordEngineVersion(SettingsStore& store);

// The Chromium command-line flags to add before the engine starts for the stored values: the
// existing flags plus --disable-gpu when GPU rendering is not on. Used with the
// QTWEBENGINE_CHROMIUM_FLAGS environment variable before QApplication exists.
QByteArray chromiumFlagsForSettings(const BrowserFeatures& features, const QByteArray& existingFlags);

} // namespace dropship
