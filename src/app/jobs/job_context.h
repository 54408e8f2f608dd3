#pragma once
// Everything a background job is handed when its start button starts it. The routines of the
// jobs take a JobContext&; they make each effect through gate() (or the helpers here, which do),
// so that a stop leaves nothing changed after it.

#include "app/jobs/job_gate.h"
#include "app/jobs/job_services.h"

#include <chrono>
#include <functional>
#include <string>

namespace dropship {

class OrderList;

enum class JobKind { PurchaseFetch, PurchaseDetails, SalesFetch, AddressQuery, BatchShipping };
inline constexpr int kJobKindCount = 5;

// The window's inputs a job reads, taken on the window's thread when the job starts.
struct JobInputs {
    std::string startTime;         // GBK text of the job's start date box (fetch jobs)
    std::string endTime;           // GBK text of its end date box
    bool includeWholesale = false; // the purchase tab's check box for 1688 orders
};

class JobContext {
  public:
    JobContext(JobGate& gate, Notices& notices, Pacer& pacer, OrderList& purchases, OrderList& sales,
               JobInputs inputs, std::function<void()> enableStartButton)
        : m_gate(gate), m_notices(notices), m_pacer(pacer), m_purchases(purchases), m_sales(sales),
          m_inputs(std::move(inputs)), m_enableStartButton(std::move(enableStartButton)) {}

    JobGate& gate() { return m_gate; }
    Notices& notices() { return m_notices; }
    Pacer& pacer() { return m_pacer; }
    OrderList& purchases() { return m_purchases; }
    OrderList& sales() { return m_sales; }
    const JobInputs& inputs() const { return m_inputs; }
    std::stop_token stopToken() const { return m_gate.token(); }
    bool stopRequested() const { return m_gate.stopRequested(); }

    // The job's pause between requests; false when the job was stopped (also during the wait).
    bool wait(std::chrono::milliseconds duration) { return m_pacer.wait(duration, m_gate.token()); }
    // The closing notices: shown only while the job has not been stopped; they return when the
    // user closes the box or when a stop comes (which closes it).
    void information(const std::string& gbkText);
    void reminder(const std::string& gbkText);
    // Clipboard := text, unless the job was stopped.
    void setClipboardText(const std::string& gbkText);
    // Enables the job's start button, unless the job was stopped.
    void enableStartButton();
    // Ends the job the way its stop button does, from inside it (the captcha case of shipping).
    // Must not be called from inside gate().run().
    void stopSelf() { m_gate.requestStop(); }

  private:
    JobGate& m_gate;
    Notices& m_notices;
    Pacer& m_pacer;
    OrderList& m_purchases;
    OrderList& m_sales;
    JobInputs m_inputs;
    std::function<void()> m_enableStartButton;
};

using JobRoutine = std::function<void(JobContext&)>;

} // namespace dropship
