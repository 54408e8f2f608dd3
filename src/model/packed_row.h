#pragma once
// The cells of one list row packed into a single allocation: a list holds 100,000 rows of 13 or
// 14 cells, and one string per cell would make loading and saving such a list mostly a matter of
// allocating memory.

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>

namespace dropship {

class PackedRow {
  public:
    PackedRow() = default;
    // Cells beyond columnCount are dropped; missing cells are empty.
    PackedRow(std::span<const std::string_view> cells, int columnCount);

    int columnCount() const { return m_bytes ? static_cast<int>(readWord(0)) : 0; }
    std::string_view cell(int column) const;         // empty for a column out of range
    void setCell(int column, std::string_view text); // does nothing for a column out of range
    // Every cell's bytes, one after the other without anything between them.
    std::string_view allCells() const;
    // Calls visit(text) for every cell from column 0 on: the quick way through a whole row.
    template <class Visit> void forEachCell(Visit&& visit) const {
        const int columns = columnCount();
        const char* const cells = m_bytes.get() + headerSize(columns);
        std::uint32_t begin = 0;
        for (int column = 0; column < columns; ++column) {
            const std::uint32_t end = readWord(static_cast<std::size_t>(column) + 1);
            visit(std::string_view(cells + begin, end - begin));
            begin = end;
        }
    }

  private:
    // Layout: column count, then the end offset of each cell (both uint32, native order), then
    // the cell bytes. Offsets count from the first cell byte.
    std::uint32_t readWord(std::size_t index) const {
        std::uint32_t word = 0;
        std::memcpy(&word, m_bytes.get() + index * sizeof word, sizeof word);
        return word;
    }
    static std::size_t headerSize(int columns) {
        return (static_cast<std::size_t>(columns) + 1) * sizeof(std::uint32_t);
    }

    std::unique_ptr<char[]> m_bytes; // null for a row without columns
};

} // namespace dropship
