#include "app/window_notices.h"

#include "web/gbk.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <condition_variable>
#include <mutex>

namespace dropship {

namespace {

QString fromGbk(const std::string& gbkText) {
    return QString::fromStdString(gbkToUtf8(gbkText));
}

// One shown box and the job waiting for it; shared by the job's thread and the window's thread.
struct BoxWait {
    std::mutex mutex;
    std::condition_variable_any closed;
    bool done = false;         // guarded by mutex
    QPointer<QMessageBox> box; // window's thread only

    void finish() {
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        closed.notify_all();
    }
};

} // namespace

void WindowNotices::information(const std::string& gbkText, std::stop_token stop) {
    showAndWait(Kind::Information, gbkText, std::move(stop));
}

void WindowNotices::reminder(const std::string& gbkText, std::stop_token stop) {
    showAndWait(Kind::Reminder, gbkText, std::move(stop));
}

void WindowNotices::setClipboardText(const std::string& gbkText, std::stop_token stop) {
    // The write is queued to the window's thread; a stop that comes meanwhile cancels it.
    m_poster->post([text = fromGbk(gbkText), stop](QWidget&) {
        if (!stop.stop_requested())
            QGuiApplication::clipboard()->setText(text);
    });
}

QMessageBox* WindowNotices::makeBox(Kind kind, const std::string& gbkText, QWidget& window) {
    const bool information = kind == Kind::Information;
    auto* box = new QMessageBox(information ? QMessageBox::NoIcon : QMessageBox::Information,
                                information ? QStringLiteral("信息：") : QStringLiteral("友情提醒"),
                                fromGbk(gbkText), QMessageBox::Ok, &window);
    box->setObjectName(information ? informationBoxName() : reminderBoxName());
    // A message box is application-modal unless told otherwise; the information box must leave
    // the main window usable. The reminder box is made window-modal by open().
    if (information)
        box->setWindowModality(Qt::NonModal);
    return box;
}

void WindowNotices::showAndWait(Kind kind, const std::string& gbkText, std::stop_token stop) {
    if (stop.stop_requested())
        return;
    if (QWidget* window = m_poster->windowOnThisThread()) {
        // The window's own thread cannot wait for the user without a nested event loop: the box is
        // shown and the call returns.
        QMessageBox* box = makeBox(kind, gbkText, *window);
        box->setAttribute(Qt::WA_DeleteOnClose);
        if (kind == Kind::Information)
            box->show();
        else
            box->open();
        return;
    }
    auto wait = std::make_shared<BoxWait>();
    const bool posted = m_poster->post([wait, kind, gbkText, stop](QWidget& window) {
        // The stop may have come while this call was queued: then nothing is shown.
        if (stop.stop_requested()) {
            wait->finish();
            return;
        }
        QMessageBox* box = makeBox(kind, gbkText, window);
        wait->box = box;
        QObject::connect(box, &QMessageBox::finished, box, [wait, box] {
            box->deleteLater();
            wait->finish();
        });
        QObject::connect(box, &QObject::destroyed, [wait] { wait->finish(); });
        if (kind == Kind::Information)
            box->show(); // the main window stays usable
        else
            box->open(); // modal to the main window, without an event loop of its own
    });
    if (!posted)
        return;
    std::unique_lock lock(wait->mutex);
    wait->closed.wait(lock, stop, [&] { return wait->done; });
    if (!wait->done) {
        lock.unlock();
        m_poster->post([wait](QWidget&) {
            if (wait->box)
                wait->box->close();
        });
    }
}

} // namespace dropship
