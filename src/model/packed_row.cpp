#include "model/packed_row.h"

#include <vector>

namespace dropship {
namespace {

// Lays out a row: header and cell bytes, the cells taken from the given pieces.
std::unique_ptr<char[]> pack(std::span<const std::string_view> cells, std::size_t columns) {
    std::size_t total = 0;
    for (const std::string_view cell : cells)
        total += cell.size();
    const std::size_t header = (columns + 1) * sizeof(std::uint32_t);
    auto bytes = std::make_unique_for_overwrite<char[]>(header + total);
    const auto count = static_cast<std::uint32_t>(columns);
    std::memcpy(bytes.get(), &count, sizeof count);
    std::uint32_t end = 0;
    char* cellOut = bytes.get() + header;
    for (std::size_t column = 0; column < columns; ++column) {
        if (column < cells.size()) {
            const std::string_view cell = cells[column];
            if (!cell.empty()) // an empty view may have no data at all
                std::memcpy(cellOut, cell.data(), cell.size());
            cellOut += cell.size();
            end += static_cast<std::uint32_t>(cell.size());
        }
        std::memcpy(bytes.get() + (column + 1) * sizeof end, &end, sizeof end);
    }
    return bytes;
}

} // namespace

PackedRow::PackedRow(std::span<const std::string_view> cells, int columnCount) {
    if (columnCount <= 0)
        return;
    const auto columns = static_cast<std::size_t>(columnCount);
    m_bytes = pack(cells.size() > columns ? cells.first(columns) : cells, columns);
}

std::string_view PackedRow::cell(int column) const {
    if (column < 0 || column >= columnCount())
        return {};
    const auto index = static_cast<std::size_t>(column);
    const std::uint32_t begin = index == 0 ? 0 : readWord(index);
    const std::uint32_t end = readWord(index + 1);
    return {m_bytes.get() + headerSize(columnCount()) + begin, end - begin};
}

std::string_view PackedRow::allCells() const {
    const int columns = columnCount();
    if (columns == 0)
        return {};
    return {m_bytes.get() + headerSize(columns), readWord(static_cast<std::size_t>(columns))};
}

void PackedRow::setCell(int column, std::string_view text) {
    const int columns = columnCount();
    if (column < 0 || column >= columns || cell(column) == text)
        return;
    // Rebuild the row: it is a few hundred bytes, and writes are rare next to reads.
    std::vector<std::string_view> views;
    views.reserve(static_cast<std::size_t>(columns));
    for (int n = 0; n < columns; ++n)
        views.push_back(n == column ? text : cell(n));
    m_bytes = pack(views, static_cast<std::size_t>(columns));
}

} // namespace dropship
