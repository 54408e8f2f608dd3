#include "app/list_commands.h"

#include "model/order_columns.h"
#include "web/text_ops.h"

namespace dropship {

namespace {

bool sameIgnoringAsciiCase(std::string_view cell, std::string_view text) {
    if (cell.size() != text.size())
        return false;
    return text.empty() || findText(cell, text, 1, true) == 1;
}

int findFrom(const OrderList& purchases, std::string_view text, int fromRow) {
    const int byNumber =
        purchases.findRow(fromRow, PurchaseColumn::No, PurchaseColumn::No,
                          [&](std::string_view cell) { return sameIgnoringAsciiCase(cell, text); });
    if (byNumber >= 0)
        return byNumber;
    return purchases.findRow(fromRow, PurchaseColumn::No + 1, purchases.columnCount() - 1,
                             [&](std::string_view cell) { return cell == text; });
}

} // namespace

int findNextPurchaseRow(const OrderList& purchases, std::string_view gbkText, int findPosition) {
    const int found = findFrom(purchases, gbkText, findPosition + 1);
    return found >= 0 ? found : findFrom(purchases, gbkText, 0);
}

std::string purchaseRowDisplay(const OrderList& purchases, int row) {
    std::string text;
    for (int column = PurchaseColumn::OrderTime; column <= PurchaseColumn::WaybillNumber; ++column) {
        text += purchases.cell(row, column);
        text += ' ';
    }
    return text;
}

} // namespace dropship
