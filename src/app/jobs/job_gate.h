#pragma once
// The line between a running background job and its stop button. A job makes each of its
// effects (a cell write, posting a notice, enabling a button) through run(); requestStop() waits
// for an effect in progress to finish, so once it returns the job changes nothing any more, even
// if its thread has not noticed the stop yet. Effects must be quick: never wait for the user or
// the network inside run().

#include <mutex>
#include <shared_mutex>
#include <stop_token>

namespace dropship {

class JobGate {
  public:
    std::stop_token token() const { return m_source.get_token(); }
    bool stopRequested() const { return m_source.stop_requested(); }

    // Runs action unless a stop was requested; returns whether it ran.
    template <class Action> bool run(Action&& action) {
        std::shared_lock lock(m_mutex);
        if (m_source.stop_requested())
            return false;
        action();
        return true;
    }

    void requestStop() {
        std::unique_lock lock(m_mutex);
        m_source.request_stop();
    }

  private:
    std::stop_source m_source;
    mutable std::shared_mutex m_mutex; // held shared by run(), exclusively by requestStop()
};

} // namespace dropship
