#pragma once
// The two saved order lists: written whole when the window closes, read back at start.
//
// Format: GBK text without byte-order mark, one line per row ending in CR LF, every cell of the
// row followed by the separator "←→" (GBK A1FB A1FA), so a line holds one separator per column.
// On Linux the file names are stored in UTF-8, the way the desktop shows them; the contents are
// GBK, byte for byte what the lists hold.

#include "model/order_list.h"

#include <filesystem>
#include <string>

namespace dropship {

inline constexpr const char* kPurchaseListFile = "买家订单保存.txt";
inline constexpr const char* kSalesListFile = "卖家订单保存.txt";

struct SaveResult {
    bool ok;
    std::string error; // why the save failed (UTF-8); empty when ok
};

// Rewrites file with every row of list. The old file is replaced only once the new one is
// complete on disk, so a failed save keeps it. A cell holding a line break (CR, LF or CR LF) is
// written with one blank in its place and a cell holding the separator with "<->" in its place,
// and an incomplete double-byte character at a cell's end is written as "?": otherwise the row
// would come back shifted or split in two. A new file gets mode 0600, an existing one keeps its
// permissions.
SaveResult saveList(const OrderList& list, const std::filesystem::path& file);

// Appends one row per line of file (read up to its first NUL byte): the text before each
// separator goes into the next column, a non-empty rest after the last separator too; texts
// beyond the last column are dropped, missing ones leave cells empty, an empty line gives a row
// of empty cells. Separators and line ends count only on GBK character boundaries. Returns the
// number of lines read: 0 for a missing or unreadable file.
int loadList(OrderList& list, const std::filesystem::path& file);

} // namespace dropship
