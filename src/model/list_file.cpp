#include "model/list_file.h"

#include "model/atomic_file.h"
#include "model/gbk_scan.h"

#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace dropship {
namespace {

constexpr std::string_view kSeparator = "\xA1\xFB\xA1\xFA"; // "←→"
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kSeparatorStandIn = "<->";

// ---- save ----

// Whether the cell's last byte is a lead byte without its second byte: written as it is, it
// would pair with the first byte of the separator and hide it from the next load.
bool endsInsideCharacter(std::string_view cell) {
    std::size_t run = 0;
    while (run < cell.size() && inGbkLeadRange(cell[cell.size() - 1 - run]))
        ++run;
    return run % 2 == 1;
}

// Writes a cell that holds a line break or the separator (or, in this row, looked as if it did),
// walking it character by character so that only real characters are replaced.
void appendMended(std::string& out, std::string_view cell) {
    std::size_t pos = 0;
    while (pos < cell.size()) {
        const char byte = cell[pos];
        if (byte == '\r' || byte == '\n') {
            out += ' ';
            pos += (byte == '\r' && pos + 1 < cell.size() && cell[pos + 1] == '\n') ? 2 : 1;
        } else if (cell.substr(pos).starts_with(kSeparator)) {
            out += kSeparatorStandIn;
            pos += kSeparator.size();
        } else if (inGbkLeadRange(byte)) {
            if (pos + 1 < cell.size())
                out.append(cell.substr(pos, 2));
            else
                out += '?';
            pos += 2;
        } else {
            out += byte;
            ++pos;
        }
    }
}

void appendCell(std::string& out, std::string_view cell) {
    if (!cell.empty() && inGbkLeadRange(cell.back()) && endsInsideCharacter(cell)) {
        out.append(cell.substr(0, cell.size() - 1));
        out += '?';
    } else {
        out.append(cell);
    }
}

std::string formatList(const OrderList& list) {
    // Mending never makes a cell longer, so this is enough for the whole text.
    std::size_t size = 0;
    list.forEachRow([&size](const PackedRow& row) {
        size += row.allCells().size() + static_cast<std::size_t>(row.columnCount()) * kSeparator.size() +
                kLineEnd.size();
    });
    std::string out;
    out.reserve(size);
    list.forEachRow([&out](const PackedRow& row) {
        // One look over the whole row instead of three per cell: almost no row needs mending.
        const std::string_view all = row.allCells();
        const bool mayNeedMending = all.find_first_of("\r\n") != std::string_view::npos ||
                                    all.find(kSeparator) != std::string_view::npos;
        for (int column = 0; column < row.columnCount(); ++column) {
            if (mayNeedMending)
                appendMended(out, row.cell(column));
            else
                appendCell(out, row.cell(column));
            out += kSeparator;
        }
        out += kLineEnd;
    });
    return out;
}

// ---- load ----

struct FileBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

// Empty when the file is missing or cannot be read: a load then adds nothing.
FileBytes readWholeFile(const std::filesystem::path& file) {
    FileBytes bytes;
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return bytes;
    struct stat info {};
    std::size_t capacity = 0;
    if (::fstat(descriptor, &info) == 0 && info.st_size > 0)
        capacity = static_cast<std::size_t>(info.st_size);
    capacity += 1; // room to see the end of the file without a second buffer
    bytes.data = std::make_unique_for_overwrite<char[]>(capacity);
    while (true) {
        if (bytes.size == capacity) { // the file grew since fstat
            auto larger = std::make_unique_for_overwrite<char[]>(capacity * 2);
            std::memcpy(larger.get(), bytes.data.get(), bytes.size);
            bytes.data = std::move(larger);
            capacity *= 2;
        }
        const ssize_t got = ::read(descriptor, bytes.data.get() + bytes.size, capacity - bytes.size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            bytes.size = 0;
            break;
        }
        if (got == 0)
            break;
        bytes.size += static_cast<std::size_t>(got);
    }
    ::close(descriptor);
    return bytes;
}

void addLine(RowBatch& batch, std::string_view line, std::vector<std::string_view>& cells,
             std::size_t columns) {
    cells.clear();
    std::size_t start = 0;
    while (cells.size() < columns) {
        const std::size_t hit = findOnCharacterBoundary(line, kSeparator, start);
        if (hit == std::string_view::npos)
            break;
        cells.push_back(line.substr(start, hit - start));
        start = hit + kSeparator.size();
    }
    if (cells.size() < columns && start < line.size())
        cells.push_back(line.substr(start));
    batch.add(cells);
}

} // namespace

SaveResult saveList(const OrderList& list, const std::filesystem::path& file) {
    std::string error = replaceFileContents(file, formatList(list));
    const bool ok = error.empty();
    return {ok, std::move(error)};
}

int loadList(OrderList& list, const std::filesystem::path& file) {
    const FileBytes bytes = readWholeFile(file);
    std::string_view text(bytes.data.get(), bytes.size);
    const void* nul = text.empty() ? nullptr : std::memchr(text.data(), '\0', text.size());
    if (nul != nullptr)
        text = text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));

    RowBatch batch(list.columnCount());
    std::vector<std::string_view> cells;
    const auto columns = static_cast<std::size_t>(list.columnCount());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t lineEnd = findOnCharacterBoundary(text, kLineEnd, pos);
        if (lineEnd == std::string_view::npos) {
            addLine(batch, text.substr(pos), cells, columns);
            break;
        }
        addLine(batch, text.substr(pos, lineEnd - pos), cells, columns);
        pos = lineEnd + kLineEnd.size();
    }
    const int lines = static_cast<int>(batch.size());
    list.appendRows(std::move(batch));
    return lines;
}

} // namespace dropship
