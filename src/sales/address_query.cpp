#include "sales/address_query.h"

#include "app/jobs/job_context.h"
#include "model/order_columns.h"
#include "model/order_list.h"
#include "sales/answer_text.h"
#include "web/endpoints.h"
#include "web/gbk.h"
#include "web/http_client.h"
#include "web/json_reader.h"
#include "web/text_ops.h"

#include <chrono>

namespace dropship {
namespace {

constexpr std::string_view kAddressPath =
    "/trade/json/order_address_info.htm?_ksTS=1453954216606_24&callback=jsonp25&biz_order_id=";
constexpr std::chrono::milliseconds kPauseAfterRow{500};

bool needsAddress(const OrderList& sales, RowId row) {
    return sales.cell(row, SalesColumn::Recipient).empty() || sales.cell(row, SalesColumn::Mobile).empty() ||
           sales.cell(row, SalesColumn::Address).empty();
}

} // namespace

bool readRecipientAddress(std::string_view answer, RecipientAddress& out) {
    // Strip the JSONP wrapper, and the country code the endpoint puts before mobile numbers.
    std::string json = replaceAll(answer, "jsonp25(", "");
    json = replaceAll(json, "})", "}");
    json = replaceAll(json, "86-", "");

    JsonReader reader;
    if (!reader.load(json))
        return false;
    // A changed address, when the buyer made one, replaces the original one entirely.
    const std::string prefix = json.find("modifyAddress") != std::string::npos ? "modifyAddress" : "address";
    // An answer without the address object (an error answer) must not blank a filled row.
    if (reader.count(prefix) < 1)
        return false;
    const auto read = [&](std::string_view member) {
        return reader.readText(prefix + "." + std::string(member));
    };
    out.name = read("name");
    out.address = read("addr") + read("post");
    out.mobile = read("mobilephone");
    if (out.mobile.empty())
        out.mobile = read("phone");
    return true;
}

void queryRecipientAddresses(const Endpoints& endpoints, HttpClient& http, JobContext& job) {
    OrderList& sales = job.sales();
    const std::string requestStart = endpoints.sellerTrade + std::string(kAddressPath);
    // The row count is read again on every pass, so rows appended meanwhile are visited too.
    for (int index = 0; index < sales.rowCount(); ++index) {
        if (job.stopRequested())
            return;
        // The row is held by its id: a row deleted before it cannot redirect the writes.
        const RowId row = sales.rowId(index);
        if (row == 0 || !needsAddress(sales, row))
            continue;
        const std::string url = requestStart + sales.cell(row, SalesColumn::OrderNumber) + "&test=false";
        const Bytes answer = http.httpRequest(url, 0, {}, job.stopToken());
        if (job.stopRequested())
            return;
        RecipientAddress found;
        if (readRecipientAddress(answerText(answer), found)) {
            const bool written = job.gate().run([&] {
                sales.setCell(row, SalesColumn::Recipient, std::move(found.name));
                sales.setCell(row, SalesColumn::Address, std::move(found.address));
                sales.setCell(row, SalesColumn::Mobile, std::move(found.mobile));
            });
            if (!written)
                return;
        }
        if (!job.wait(kPauseAfterRow))
            return;
    }
    static const std::string finished = utf8ToGbk("查询完毕");
    job.information(finished);
    job.enableStartButton();
}

} // namespace dropship
