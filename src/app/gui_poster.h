#pragma once
// Hands work from any thread to the window's thread. After detach() (the window is going away)
// nothing more is posted and post() says so, so no job can reach a destroyed window.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <mutex>

namespace dropship {

class GuiPoster {
  public:
    explicit GuiPoster(QWidget* window) : m_window(window) {}

    // Queues work to run on the window's thread with the window as argument; false when the
    // window is gone.
    bool post(std::function<void(QWidget&)> work);
    // The window, when called on its thread and the window is still there; else null.
    QWidget* windowOnThisThread() const;
    void detach();

  private:
    mutable std::mutex m_mutex;
    QWidget* m_window; // guarded by m_mutex; null after detach()
};

} // namespace dropship
