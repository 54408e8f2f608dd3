#pragma once
// Turns the signals that ask the process to end (SIGTERM, SIGINT, SIGHUP) into a Qt signal on the
// main thread, so that the lists can be saved before the process goes. The signal handler only
// writes one byte into a pipe (all it may safely do); a socket notifier reads it in the event
// loop.

#include <QObject>

class QSocketNotifier;

namespace dropship {

class TerminationWatcher : public QObject {
    Q_OBJECT
  public:
    // Installs the handlers; only one watcher may exist at a time. The handlers stay installed
    // after the watcher is gone and then end the process the default way.
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

    bool isActive() const { return m_notifier != nullptr; }

  signals:
    void terminationRequested(int signalNumber);

  private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace dropship
