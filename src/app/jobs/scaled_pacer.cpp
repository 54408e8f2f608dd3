#include "app/jobs/scaled_pacer.h"

#include <condition_variable>
#include <mutex>

namespace dropship {

bool ScaledPacer::wait(std::chrono::milliseconds duration, std::stop_token stop) {
    if (stop.stop_requested())
        return false;
    const auto scaled = std::chrono::duration_cast<std::chrono::microseconds>(duration * m_scale);
    if (scaled.count() > 0) {
        // Nothing ever notifies this variable: the wait ends by time-out or by the stop callback
        // the stop-token overload registers.
        std::mutex mutex;
        std::condition_variable_any sleeper;
        std::unique_lock lock(mutex);
        sleeper.wait_for(lock, stop, scaled, [] { return false; });
    }
    return !stop.stop_requested();
}

} // namespace dropship
