#pragma once
// The notices of the jobs as message boxes of the main window. Callable from any thread: the box
// is made on the window's thread and the calling job waits for it to be closed (or for a stop,
// which closes it). Called on the window's thread itself, the box runs its own event loop.

#include "app/gui_poster.h"
#include "app/jobs/job_services.h"

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

namespace dropship {

class WindowNotices : public Notices {
  public:
    explicit WindowNotices(std::shared_ptr<GuiPoster> poster) : m_poster(std::move(poster)) {}

    void information(const std::string& gbkText, std::stop_token stop) override;
    void reminder(const std::string& gbkText, std::stop_token stop) override;
    void setClipboardText(const std::string& gbkText, std::stop_token stop) override;

    // Object names of the boxes, for whoever has to find an open one.
    static QString informationBoxName() { return QStringLiteral("informationBox"); }
    static QString reminderBoxName() { return QStringLiteral("reminderBox"); }

  private:
    enum class Kind { Information, Reminder };
    void showAndWait(Kind kind, const std::string& gbkText, std::stop_token stop);
    static QMessageBox* makeBox(Kind kind, const std::string& gbkText, QWidget& window);

    std::shared_ptr<GuiPoster> m_poster;
};

} // namespace dropship
