#pragma once
// Starts and stops the five background jobs of the window and keeps their threads. Lives on the
// window's thread; the jobs reach the window only through the notices and the poster.
//
// A start while an older thread of the same job still winds down (a stopped job that has not
// noticed yet, or a shipping run showing its last notice) starts a new thread beside it; the old
// one is kept until it ends and is joined then, never waited for.

#include "app/gui_poster.h"
#include "app/jobs/job_context.h"

#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <array>
#include <memory>
#include <vector>

namespace dropship {

class OrderList;

class JobController : public QObject {
    Q_OBJECT
  public:
    JobController(std::shared_ptr<GuiPoster> poster, std::shared_ptr<Notices> notices,
                  std::shared_ptr<Pacer> pacer, std::shared_ptr<OrderList> purchases,
                  std::shared_ptr<OrderList> sales, QObject* parent = nullptr);
    ~JobController() override; // stops every job; waits a moment for them, never longer

    void setButtons(JobKind kind, QPushButton* start, QPushButton* stop);
    void setRoutine(JobKind kind, JobRoutine routine);
    void setInputs(JobKind kind, std::function<JobInputs()> readInputs);

    // The click handlers of the start and stop buttons.
    void start(JobKind kind);
    void stop(JobKind kind);

    bool isRunning(JobKind kind) const; // the job's latest thread has not ended
    int liveThreads() const;            // threads of all jobs that have not been joined yet

  private:
    struct Run;
    struct Slot {
        QPointer<QPushButton> start;
        QPointer<QPushButton> stop;
        JobRoutine routine;
        std::function<JobInputs()> readInputs;
        std::shared_ptr<Run> current;           // the handle a stop acts on
        std::vector<std::shared_ptr<Run>> runs; // every thread not yet joined, current included
    };

    Slot& slot(JobKind kind);
    const Slot& slot(JobKind kind) const;
    bool launch(JobKind kind);
    void stopCurrent(JobKind kind);
    void setStartEnabled(JobKind kind, bool enabled);
    void joinEnded();

    std::shared_ptr<GuiPoster> m_poster;
    std::shared_ptr<Notices> m_notices;
    std::shared_ptr<Pacer> m_pacer;
    std::shared_ptr<OrderList> m_purchases;
    std::shared_ptr<OrderList> m_sales;
    std::shared_ptr<bool> m_alive; // gone once the controller is being destroyed
    std::array<Slot, kJobKindCount> m_slots;
};

} // namespace dropship
