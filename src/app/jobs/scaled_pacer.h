#pragma once
// The pacing of the jobs: real waits scaled by a factor (1.0 in the application, a small factor in
// tests), woken at once by a stop.

#include "app/jobs/job_services.h"

namespace dropship {

class ScaledPacer : public Pacer {
  public:
    explicit ScaledPacer(double scale = 1.0) : m_scale(scale < 0 ? 0 : scale) {}
    bool wait(std::chrono::milliseconds duration, std::stop_token stop) override;
    double scale() const { return m_scale; }

  private:
    double m_scale;
};

} // namespace dropship
