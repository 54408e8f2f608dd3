#include "app/sales_wiring.h"

#include "app/main_window.h"
#include "sales/address_query.h"
#include "sales/sales_report_fetch.h"

namespace dropship {

void wireSalesJobs(MainWindow& window, std::shared_ptr<HttpClient> http) {
    const Endpoints endpoints = window.config().endpoints;
    window.setJobRoutine(JobKind::SalesFetch,
                         [endpoints, http](JobContext& job) { fetchSalesReport(endpoints, *http, job); });
    window.setJobRoutine(JobKind::AddressQuery, [endpoints, http](JobContext& job) {
        queryRecipientAddresses(endpoints, *http, job);
    });
}

} // namespace dropship
