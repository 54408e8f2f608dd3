#pragma once
// The list maintenance commands that do not depend on widgets: finding a purchase row and the
// text the purchase tab shows for a row.

#include "model/order_list.h"

#include <string>
#include <string_view>

namespace dropship {

// Find next: from row findPosition + 1 to the end, first the NO column (ASCII letters compared
// without case), and only if that finds nothing every other column (whole text, byte for byte);
// then the same again from row 0. The row found, or -1.
int findNextPurchaseRow(const OrderList& purchases, std::string_view gbkText, int findPosition);

// Columns 1 to 8 of a purchase row, each followed by one blank (eight blanks for a missing row).
std::string purchaseRowDisplay(const OrderList& purchases, int row);

} // namespace dropship
