#include "app/job_controller.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace dropship {

// One thread of one job. The part the thread itself uses is shared with it, so the thread never
// touches the controller and may outlive it.
struct JobController::Run {
    struct Shared {
        JobGate gate;
        std::mutex mutex;
        std::condition_variable endedSignal;
        bool ended = false; // guarded by mutex
    };
    std::shared_ptr<Shared> shared = std::make_shared<Shared>();
    std::thread thread;

    bool hasEnded() const {
        std::lock_guard lock(shared->mutex);
        return shared->ended;
    }
};

JobController::JobController(std::shared_ptr<GuiPoster> poster, std::shared_ptr<Notices> notices,
                             std::shared_ptr<Pacer> pacer, std::shared_ptr<OrderList> purchases,
                             std::shared_ptr<OrderList> sales, QObject* parent)
    : QObject(parent), m_poster(std::move(poster)), m_notices(std::move(notices)), m_pacer(std::move(pacer)),
      m_purchases(std::move(purchases)), m_sales(std::move(sales)), m_alive(std::make_shared<bool>(true)) {}

JobController::~JobController() {
    m_alive.reset();
    for (Slot& slot : m_slots)
        for (auto& run : slot.runs)
            run->shared->gate.requestStop();
    // Stopped jobs end within moments; one that does not (stuck in a call that cannot be
    // interrupted) is let go rather than holding up the close. What it uses is shared with it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (Slot& slot : m_slots) {
        for (auto& run : slot.runs) {
            std::unique_lock lock(run->shared->mutex);
            const bool ended =
                run->shared->endedSignal.wait_until(lock, deadline, [&] { return run->shared->ended; });
            lock.unlock();
            if (ended)
                run->thread.join();
            else
                run->thread.detach();
        }
    }
}

JobController::Slot& JobController::slot(JobKind kind) {
    return m_slots[static_cast<std::size_t>(kind)];
}

const JobController::Slot& JobController::slot(JobKind kind) const {
    return m_slots[static_cast<std::size_t>(kind)];
}

void JobController::setButtons(JobKind kind, QPushButton* start, QPushButton* stop) {
    slot(kind).start = start;
    slot(kind).stop = stop;
}

void JobController::setRoutine(JobKind kind, JobRoutine routine) {
    slot(kind).routine = std::move(routine);
}

void JobController::setInputs(JobKind kind, std::function<JobInputs()> readInputs) {
    slot(kind).readInputs = std::move(readInputs);
}

void JobController::start(JobKind kind) {
    if (!slot(kind).routine)
        return; // nothing to run: the button stays as it is
    if (kind == JobKind::BatchShipping) {
        launch(kind);
        setStartEnabled(kind, false);
    } else {
        // A thread that cannot be started leaves the button disabled until its stop button.
        setStartEnabled(kind, false);
        launch(kind);
    }
}

void JobController::stop(JobKind kind) {
    if (kind == JobKind::BatchShipping) {
        stopCurrent(kind);
        setStartEnabled(kind, true);
    } else {
        setStartEnabled(kind, true);
        stopCurrent(kind);
    }
}

bool JobController::isRunning(JobKind kind) const {
    const auto& current = slot(kind).current;
    return current && !current->hasEnded();
}

int JobController::liveThreads() const {
    int count = 0;
    for (const Slot& slot : m_slots)
        count += static_cast<int>(slot.runs.size());
    return count;
}

void JobController::stopCurrent(JobKind kind) {
    if (auto& current = slot(kind).current)
        current->shared->gate.requestStop();
}

void JobController::setStartEnabled(JobKind kind, bool enabled) {
    if (QPushButton* button = slot(kind).start)
        button->setEnabled(enabled);
}

bool JobController::launch(JobKind kind) {
    Slot& jobSlot = slot(kind);
    auto run = std::make_shared<Run>();
    std::weak_ptr<bool> alive = m_alive;
    const std::stop_token token = run->shared->gate.token();

    // Enabling the start button from the job: queued to the window's thread, and dropped there if
    // a stop came in between, so that a stopped job never enables a button.
    auto enableStart = [poster = m_poster, alive, this, kind, token] {
        poster->post([alive, this, kind, token](QWidget&) {
            if (!token.stop_requested() && alive.lock())
                setStartEnabled(kind, true);
        });
    };
    auto body = [shared = run->shared, notices = m_notices, pacer = m_pacer, purchases = m_purchases,
                 sales = m_sales, routine = jobSlot.routine,
                 inputs = jobSlot.readInputs ? jobSlot.readInputs() : JobInputs{}, enableStart, kind,
                 poster = m_poster, alive, this]() mutable {
        JobContext context(shared->gate, *notices, *pacer, *purchases, *sales, std::move(inputs),
                           enableStart);
        try {
            routine(context);
        } catch (...) {
            // A job reports failures by what it writes; an escaped exception only ends it.
        }
        // The sales fetch's button is enabled by its runner at the end, as its handler did.
        if (kind == JobKind::SalesFetch)
            context.enableStartButton();
        {
            std::lock_guard lock(shared->mutex);
            shared->ended = true;
        }
        shared->endedSignal.notify_all();
        poster->post([alive, this](QWidget&) {
            if (alive.lock())
                joinEnded();
        });
    };
    try {
        run->thread = std::thread(std::move(body));
    } catch (const std::system_error&) {
        return false;
    }
    jobSlot.current = run;
    jobSlot.runs.push_back(std::move(run));
    return true;
}

void JobController::joinEnded() {
    for (Slot& jobSlot : m_slots) {
        std::erase_if(jobSlot.runs, [](const std::shared_ptr<Run>& run) {
            if (!run->hasEnded())
                return false;
            run->thread.join(); // its body has returned: this takes no time
            return true;
        });
    }
}

} // namespace dropship
