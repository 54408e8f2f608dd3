#include "model/packed_row.h"

#include <cstring>

namespace dropship {
namespace {

void appendWord(std::string& out, std::uint32_t word) {
    char bytes[sizeof word];
    std::memcpy(bytes, &word, sizeof word);
    out.append(bytes, sizeof word);
}

} // namespace

PackedRow::PackedRow(std::span<const std::string_view> cells, int columnCount) {
    const auto columns = static_cast<std::size_t>(columnCount > 0 ? columnCount : 0);
    if (cells.size() > columns)
        cells = cells.first(columns);
    std::size_t total = 0;
    for (const std::string_view cell : cells)
        total += cell.size();
    m_bytes.reserve((columns + 1) * sizeof(std::uint32_t) + total);
    appendWord(m_bytes, static_cast<std::uint32_t>(columns));
    std::uint32_t end = 0;
    for (std::size_t column = 0; column < columns; ++column) {
        if (column < cells.size())
            end += static_cast<std::uint32_t>(cells[column].size());
        appendWord(m_bytes, end);
    }
    for (const std::string_view cell : cells)
        m_bytes.append(cell);
}

std::uint32_t PackedRow::readWord(std::size_t index) const {
    std::uint32_t word = 0;
    std::memcpy(&word, m_bytes.data() + index * sizeof word, sizeof word);
    return word;
}

std::size_t PackedRow::headerSize() const {
    return (readWord(0) + 1u) * sizeof(std::uint32_t);
}

int PackedRow::columnCount() const {
    return m_bytes.empty() ? 0 : static_cast<int>(readWord(0));
}

std::string_view PackedRow::cell(int column) const {
    if (column < 0 || column >= columnCount())
        return {};
    const auto index = static_cast<std::size_t>(column);
    const std::uint32_t begin = index == 0 ? 0 : readWord(index);
    const std::uint32_t end = readWord(index + 1);
    return std::string_view(m_bytes).substr(headerSize() + begin, end - begin);
}

std::string_view PackedRow::allCells() const {
    return m_bytes.empty() ? std::string_view() : std::string_view(m_bytes).substr(headerSize());
}

void PackedRow::setCell(int column, std::string_view text) {
    const int columns = columnCount();
    if (column < 0 || column >= columns)
        return;
    const std::string_view old = cell(column);
    if (old == text)
        return;
    // Rebuild the row: it is a few hundred bytes, and writes are rare next to reads.
    const std::size_t header = headerSize();
    const std::size_t oldBegin = static_cast<std::size_t>(old.data() - m_bytes.data());
    const std::size_t oldEnd = oldBegin + old.size();
    std::string bytes;
    bytes.reserve(m_bytes.size() - old.size() + text.size());
    bytes.append(m_bytes, 0, header);
    bytes.append(m_bytes, header, oldBegin - header);
    bytes.append(text);
    bytes.append(m_bytes, oldEnd);
    const auto delta = static_cast<std::uint32_t>(text.size() - old.size()); // wraps when shrinking
    for (int later = column; later < columns; ++later) {
        const auto index = static_cast<std::size_t>(later) + 1;
        const std::uint32_t end = readWord(index) + delta;
        std::memcpy(bytes.data() + index * sizeof end, &end, sizeof end);
    }
    m_bytes = std::move(bytes);
}

} // namespace dropship
