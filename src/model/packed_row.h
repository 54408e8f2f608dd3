#pragma once
// The cells of one list row packed into a single allocation: a list holds 100,000 rows of 13 or
// 14 cells, and one string per cell would make loading and saving such a list mostly a matter of
// allocating memory.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace dropship {

class PackedRow {
  public:
    PackedRow() = default;
    // Cells beyond columnCount are dropped; missing cells are empty.
    PackedRow(std::span<const std::string_view> cells, int columnCount);

    int columnCount() const;
    std::string_view cell(int column) const;         // empty for a column out of range
    void setCell(int column, std::string_view text); // does nothing for a column out of range
    // Every cell's bytes, one after the other without anything between them.
    std::string_view allCells() const;

  private:
    // Layout: column count, then the end offset of each cell (both uint32, native order), then
    // the cell bytes. Offsets count from the first cell byte.
    std::uint32_t readWord(std::size_t index) const;
    std::size_t headerSize() const;

    std::string m_bytes;
};

} // namespace dropship
