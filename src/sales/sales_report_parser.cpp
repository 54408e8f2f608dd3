#include "sales/sales_report_parser.h"

#include "app/jobs/job_gate.h"
#include "app/jobs/job_services.h"
#include "model/order_columns.h"
#include "model/order_list.h"
#include "web/gbk.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace dropship {
namespace {

// Quote, line feed, equals sign, quote. None of these bytes can be the second byte of a GBK
// character, so a plain byte search finds exactly the separators a character-wise search would.
constexpr std::string_view kRecordSeparator{"\"\n=\"", 4};

// Fields 0 to 19 feed the row; the rest of a record (up to field 36) is not read.
constexpr std::size_t kFieldsUsed = 20;
enum Field : std::size_t {
    OrderNumber = 0,
    Message = 11,
    Recipient = 12,
    Address = 13,
    Phone = 15,
    Mobile = 16,
    OrderTime = 17,
    ItemTitle = 19,
};

using RecordFields = std::array<std::string_view, kFieldsUsed>;

// Cuts the first kFieldsUsed fields out of a record; fields a short record lacks stay empty.
RecordFields splitFields(std::string_view record) {
    RecordFields fields{};
    const char* begin = record.data();
    const char* const end = begin + record.size();
    for (std::size_t i = 0; i < kFieldsUsed; ++i) {
        const auto* comma = static_cast<const char*>(std::memchr(begin, ',', end - begin));
        if (comma == nullptr) {
            fields[i] = std::string_view(begin, end - begin);
            break;
        }
        fields[i] = std::string_view(begin, comma - begin);
        begin = comma + 1;
    }
    return fields;
}

// Double quotes go from every field; the two phone fields also lose the apostrophes the export
// puts before numbers so that a spreadsheet keeps them as text. Most fields hold nothing to
// remove: those are used as they stand, the others are cleaned into buffer.
std::string_view cleanField(std::string_view field, std::string& buffer, bool dropApostrophes = false) {
    const auto unwanted = [dropApostrophes](char c) { return c == '"' || (dropApostrophes && c == '\''); };
    if (std::none_of(field.begin(), field.end(), unwanted))
        return field;
    buffer.clear();
    for (const char c : field) {
        if (!unwanted(c))
            buffer.push_back(c);
    }
    return buffer;
}

// Cleans the fields that feed a row and appends it, numbered, in one step of the list.
class RecordWriter {
  public:
    void append(const RecordFields& fields, OrderList& sales) {
        std::array<std::string_view, SalesColumn::Count> cells{};
        cells[SalesColumn::OrderTime] = cleanField(fields[OrderTime], m_buffers[0]);
        cells[SalesColumn::OrderNumber] = cleanField(fields[OrderNumber], m_buffers[1]);
        cells[SalesColumn::ItemTitle] = cleanField(fields[ItemTitle], m_buffers[2]);
        cells[SalesColumn::Recipient] = cleanField(fields[Recipient], m_buffers[3]);
        cells[SalesColumn::Mobile] = cleanField(fields[Mobile], m_buffers[4], true);
        if (cells[SalesColumn::Mobile].empty())
            cells[SalesColumn::Mobile] = cleanField(fields[Phone], m_buffers[4], true);
        cells[SalesColumn::Address] = cleanField(fields[Address], m_buffers[5]);
        cells[SalesColumn::Message] = cleanField(fields[Message], m_buffers[6]);
        sales.appendRow(cells, SalesColumn::No);
    }

  private:
    std::array<std::string, 7> m_buffers;
};

} // namespace

int appendSalesReportRows(std::string_view reportText, OrderList& sales, JobGate& gate) {
    const char* const end = reportText.data() + reportText.size();
    const auto nextSeparator = [end](const char* from) {
        return static_cast<const char*>(
            memmem(from, end - from, kRecordSeparator.data(), kRecordSeparator.size()));
    };
    // The piece before the first separator is the header line.
    const char* separator = reportText.empty() ? nullptr : nextSeparator(reportText.data());
    int appended = 0;
    RecordWriter writer;
    while (separator != nullptr) {
        const char* recordBegin = separator + kRecordSeparator.size();
        separator = nextSeparator(recordBegin);
        const char* recordEnd = separator != nullptr ? separator : end;
        // A separator at the very end of the text leaves no record behind it.
        if (separator == nullptr && recordBegin == end)
            break;
        const RecordFields fields = splitFields(std::string_view(recordBegin, recordEnd - recordBegin));
        // One record is one effect: a stop never leaves a half-filled row.
        if (!gate.run([&] { writer.append(fields, sales); }))
            break;
        ++appended;
    }
    return appended;
}

void parseSalesReport(std::string_view reportText, OrderList& sales, Notices& notices, JobGate& gate) {
    appendSalesReportRows(reportText, sales, gate);
    static const std::string finished = utf8ToGbk("提取完成");
    // The reminder waits for the user, so it is not shown inside the gate; the box gives way to a
    // stop that comes while it is open.
    if (!gate.stopRequested())
        notices.reminder(finished, gate.token());
}

} // namespace dropship
