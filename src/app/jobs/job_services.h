#pragma once
// What a background job may ask of the window, without knowing about widgets. The window's
// implementation marshals every call to the GUI thread; tests supply their own.

#include <chrono>
#include <stop_token>
#include <string>

namespace dropship {

class Notices {
  public:
    virtual ~Notices() = default;
    // Information box (caption "信息：", OK, no icon): does not block the main window; the calling
    // job waits until it is closed or until stop is requested.
    virtual void information(const std::string& gbkText, std::stop_token stop) = 0;
    // Reminder box (caption "友情提醒", information icon), modal to the main window; the calling
    // job waits until it is answered or until stop is requested.
    virtual void reminder(const std::string& gbkText, std::stop_token stop) = 0;
    // Replaces the clipboard's content with the text (plain text), unless stop is requested
    // before the clipboard is reached.
    virtual void setClipboardText(const std::string& gbkText, std::stop_token stop) = 0;
};

class Pacer {
  public:
    virtual ~Pacer() = default;
    // Waits the given time; returns false at once when stop is requested (also during the wait).
    virtual bool wait(std::chrono::milliseconds duration, std::stop_token stop) = 0;
};

} // namespace dropship
