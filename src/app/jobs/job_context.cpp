#include "app/jobs/job_context.h"

namespace dropship {

// A notice waits for the user, so it is not shown inside the gate (a stop would have to wait for
// the box); the window's notices check the stop again on the window's thread before they show.
void JobContext::information(const std::string& gbkText) {
    if (!m_gate.stopRequested())
        m_notices.information(gbkText, m_gate.token());
}

void JobContext::reminder(const std::string& gbkText) {
    if (!m_gate.stopRequested())
        m_notices.reminder(gbkText, m_gate.token());
}

void JobContext::setClipboardText(const std::string& gbkText) {
    m_gate.run([&] { m_notices.setClipboardText(gbkText, m_gate.token()); });
}

void JobContext::enableStartButton() {
    if (m_enableStartButton)
        m_gate.run(m_enableStartButton);
}

} // namespace dropship
