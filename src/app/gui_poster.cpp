#include "app/gui_poster.h"

#include <QMetaObject>
#include <QThread>

namespace dropship {

bool GuiPoster::post(std::function<void(QWidget&)> work) {
    std::lock_guard lock(m_mutex);
    if (!m_window)
        return false;
    QWidget* window = m_window;
    // The window is the context object: should it be destroyed before the call is delivered,
    // Qt drops the call.
    QMetaObject::invokeMethod(
        window, [window, work = std::move(work)] { work(*window); }, Qt::QueuedConnection);
    return true;
}

QWidget* GuiPoster::windowOnThisThread() const {
    std::lock_guard lock(m_mutex);
    return m_window && m_window->thread() == QThread::currentThread() ? m_window : nullptr;
}

void GuiPoster::detach() {
    std::lock_guard lock(m_mutex);
    m_window = nullptr;
}

} // namespace dropship
