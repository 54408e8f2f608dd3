#pragma once
// The simulator's sales-order endpoints on the seller trade host, all behind the log-in session:
//   POST /trade/itemlist/list_export_order.htm   apply for the order export
//   GET  /trade/itemlist/list_export_order.htm   export list: "being generated", then the link
//   GET  /trade/itemlist/export_order_download.htm  the report (GBK)
//   GET  /trade/json/order_address_info.htm      an order's address (JSONP)
// SalesSimState holds what they answer; tests change it while the server runs.

#include "sim/routes/sales_report_writer.h"

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace dropship::sim {

class SimServer;

// An address of the address endpoint; texts are UTF-8.
struct SimAddress {
    std::string name;
    std::string addr;
    std::string post;
    std::string mobilephone; // written as given, e.g. "86-13800001111"
    std::string phone;
};

struct SimAddressAnswer {
    SimAddress address;
    std::optional<SimAddress> modifyAddress; // the buyer's changed address, when there is one
    bool failing = false;                    // answer 500 with an empty body
};

class SalesSimState {
  public:
    enum class ApplyAnswer {
        Accepted,
        NoOrders,             // "您申请导出的数据为0条"
        NoPermission,         // "您需要联系掌柜开设此权限"
        TooSoon,              // "两次报表申请需要控制在"
        PermissionAndTooSoon, // both of the last two markers in one page
        TooSoonAtStart,       // the page begins with "两次报表申请需要控制在"
    };

    void setApplyAnswer(ApplyAnswer answer);
    // After each application, this many polls answer "being generated" before the link shows;
    // a negative number never shows it.
    void setPollsBeforeReady(int polls);
    void setReportRows(std::vector<SalesReportRow> rows);
    void setReportLineEnding(std::string lineEnding);
    // A GBK text served as the report instead of the rows (a truncated or malformed download).
    void setRawReport(std::optional<std::string> gbkReport);
    void setAddress(const std::string& orderNumber, SimAddressAnswer answer);
    // The answers to path (all of these routes when path is empty) wait this long: a slow
    // marketplace. stop() cuts the wait short.
    void setAnswerDelay(std::chrono::milliseconds delay, const std::string& path = {});
    std::chrono::milliseconds answerDelay(const std::string& path) const;

    int applications() const;
    int polls() const;
    int downloads() const;

    // Used by the routes.
    ApplyAnswer onApply(); // counts the application, starts the polls again
    bool onPollReady();    // counts the poll; whether the link shows
    std::string onDownload();
    std::optional<SimAddressAnswer> addressOf(const std::string& orderNumber) const;

  private:
    mutable std::mutex m_mutex;
    ApplyAnswer m_applyAnswer = ApplyAnswer::Accepted;   // guarded by m_mutex
    int m_pollsBeforeReady = 0;                          // guarded by m_mutex
    int m_pollsSinceApply = 0;                           // guarded by m_mutex
    int m_applications = 0;                              // guarded by m_mutex
    int m_polls = 0;                                     // guarded by m_mutex
    int m_downloads = 0;                                 // guarded by m_mutex
    std::vector<SalesReportRow> m_rows;                  // guarded by m_mutex
    std::string m_lineEnding = "\n";                     // guarded by m_mutex
    std::optional<std::string> m_rawReport;              // guarded by m_mutex
    std::map<std::string, SimAddressAnswer> m_addresses; // guarded by m_mutex
    std::map<std::string, std::chrono::milliseconds>
        m_answerDelays; // by path, "" for all; guarded by m_mutex
};

constexpr const char* kSalesExportPath = "/trade/itemlist/list_export_order.htm";
constexpr const char* kSalesDownloadPath = "/trade/itemlist/export_order_download.htm";
constexpr const char* kOrderAddressPath = "/trade/json/order_address_info.htm";

// state must outlive the server's use of the routes.
void installSalesRoutes(SimServer& server, SalesSimState& state);

// The demo's sales routes: a few waiting orders, ready after two polls, with their addresses.
void addSalesRoutes(SimServer& server);

} // namespace dropship::sim
