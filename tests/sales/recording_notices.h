#pragma once
// Notices for the sales job tests: every box and clipboard change is recorded (as UTF-8, for
// readable failures) and answered at once.

#include "app/jobs/job_services.h"
#include "web/gbk.h"

#include <mutex>
#include <string>
#include <vector>

namespace dropship::test {

class RecordingNotices : public Notices {
  public:
    struct Entry {
        enum class Kind { Information, Reminder, Clipboard };
        Kind kind;
        std::string text; // UTF-8
    };

    void information(const std::string& gbkText, std::stop_token) override {
        record(Entry::Kind::Information, gbkText);
    }
    void reminder(const std::string& gbkText, std::stop_token) override {
        record(Entry::Kind::Reminder, gbkText);
    }
    void setClipboardText(const std::string& gbkText, std::stop_token) override {
        record(Entry::Kind::Clipboard, gbkText);
    }

    std::vector<Entry> entries() const {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }
    // The texts of one kind, in order.
    std::vector<std::string> texts(Entry::Kind kind) const {
        std::vector<std::string> out;
        for (const Entry& entry : entries()) {
            if (entry.kind == kind)
                out.push_back(entry.text);
        }
        return out;
    }
    std::vector<std::string> reminders() const { return texts(Entry::Kind::Reminder); }
    std::vector<std::string> informations() const { return texts(Entry::Kind::Information); }
    std::vector<std::string> clipboard() const { return texts(Entry::Kind::Clipboard); }

  private:
    void record(Entry::Kind kind, const std::string& gbkText) {
        std::lock_guard lock(m_mutex);
        m_entries.push_back({kind, gbkToUtf8(gbkText)});
    }

    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries; // guarded by m_mutex
};

} // namespace dropship::test
