#pragma once
// Looking up what the simulator received, for the browser tests.

#include "sim/sim_server.h"

#include <optional>
#include <string_view>

namespace dropship {

// The last request the simulator recorded for path (query excluded), if any.
inline std::optional<sim::Request> lastRequestTo(const sim::SimServer& sim, std::string_view path) {
    const auto requests = sim.requests();
    for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
        if (it->path == path)
            return *it;
    }
    return std::nullopt;
}

} // namespace dropship
