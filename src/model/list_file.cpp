#include "model/list_file.h"

#include "model/atomic_file.h"
#include "web/gbk.h"
#include "model/list_scan.h"

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
    return !cell.empty() && inGbkLeadRange(cell.back()) && onCharacterBoundary(cell, 0, cell.size() - 1);
}

// Writes a cell that holds a line break or the separator (or, in this row, looked as if it did),
// walking it character by character so that only real characters are replaced.
void appendMended(AtomicFileWriter& out, std::string_view cell) {
    std::size_t pos = 0;
    while (pos < cell.size()) {
        const char byte = cell[pos];
        if (byte == '\r' || byte == '\n') {
            out.append(' ');
            pos += (byte == '\r' && pos + 1 < cell.size() && cell[pos + 1] == '\n') ? 2 : 1;
        } else if (cell.substr(pos).starts_with(kSeparator)) {
            out.append(kSeparatorStandIn);
            pos += kSeparator.size();
        } else if (inGbkLeadRange(byte)) {
            if (pos + 1 < cell.size())
                out.append(cell.substr(pos, 2));
            else
                out.append('?');
            pos += 2;
        } else {
            out.append(byte);
            ++pos;
        }
    }
}

void appendCell(AtomicFileWriter& out, std::string_view cell) {
    if (endsInsideCharacter(cell)) {
        out.append(cell.substr(0, cell.size() - 1));
        out.append('?');
    } else {
        out.append(cell);
    }
}

bool holds(std::string_view text, char byte) {
    return !text.empty() && std::memchr(text.data(), byte, text.size()) != nullptr;
}

// The list stays locked while its text goes out, so the file holds one consistent state of it;
// the writes land in the page cache, and the wait for the disk comes after, in commit().
void writeList(const OrderList& list, AtomicFileWriter& out) {
    list.forEachRow([&out](const PackedRow& row) {
        // One look over the whole row instead of three per cell: almost no row needs mending.
        const std::string_view all = row.allCells();
        const bool mayNeedMending =
            holds(all, '\r') || holds(all, '\n') || all.find(kSeparator) != std::string_view::npos;
        row.forEachCell([&out, mayNeedMending](std::string_view cell) {
            if (mayNeedMending)
                appendMended(out, cell);
            else
                appendCell(out, cell);
            out.append(kSeparator);
        });
        out.append(kLineEnd);
    });
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

// Splits text, up to its first NUL byte, into lines and cells: the text before each separator is the line's
// next cell, a non-empty rest before the line end its last; cells beyond the last column are dropped.
void parseLines(std::string_view text, std::size_t columns, RowBatch& batch) {
    std::vector<std::string_view> cells(columns);
    std::size_t cellCount = 0;
    std::size_t lineStart = 0;
    std::size_t cellStart = 0;
    const auto endCell = [&](std::size_t end) {
        if (cellCount < columns)
            cells[cellCount++] = std::string_view(text.data() + cellStart, end - cellStart);
    };
    const auto endLine = [&] {
        batch.add(std::span<const std::string_view>(cells.data(), cellCount));
        cellCount = 0;
    };
    ListTokenScanner scanner(text);
    ListTokenScanner::Token tokens[1024];
    while (const std::size_t count = scanner.next(tokens)) {
        for (std::size_t n = 0; n < count; ++n) {
            const ListTokenScanner::Token token = tokens[n];
            if (!token.lineEnd) {
                endCell(token.position);
                cellStart = token.position + kSeparator.size();
                continue;
            }
            if (cellStart < token.position)
                endCell(token.position);
            endLine();
            lineStart = cellStart = token.position + kLineEnd.size();
        }
    }
    const std::size_t size = scanner.text().size();
    if (lineStart < size) { // a last line without CR LF
        if (cellStart < size)
            endCell(size);
        endLine();
    }
}

} // namespace

SaveResult saveList(const OrderList& list, const std::filesystem::path& file) {
    AtomicFileWriter writer(file);
    writeList(list, writer);
    std::string error = writer.commit();
    const bool ok = error.empty();
    return {ok, std::move(error)};
}

int loadList(OrderList& list, const std::filesystem::path& file) {
    const FileBytes bytes = readWholeFile(file);
    // parseLines stops at the first NUL byte.
    const std::string_view text(bytes.data.get(), bytes.size);

    RowBatch batch(list.columnCount());
    parseLines(text, static_cast<std::size_t>(list.columnCount()), batch);
    const int lines = static_cast<int>(batch.size());
    list.appendRows(std::move(batch));
    return lines;
}

} // namespace dropship
