#pragma once
// Replacing a file's contents so that it holds either its old or its new bytes, never a part of
// them: a full disk or a crash halfway through a save must not cost the user the saved orders.

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace dropship {

// Writes the new contents to a temporary file beside the target, then flushes it to disk and
// renames it over the target in commit(). Until then the target is untouched; a writer destroyed
// without a successful commit removes its temporary file. The new file gets mode 0600 (it holds
// buyers' names, mobiles and addresses); an existing file keeps its mode and, where the process
// may set it, its owner.
//
// Bytes are collected in a buffer and written a megabyte at a time, and the disk is asked to
// start on each megabyte at once, so that most of the flush overlaps with producing the rest.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(std::filesystem::path file);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    void append(std::string_view bytes) {
        if (bytes.size() > kBufferSize - m_buffered)
            return appendLarge(bytes);
        if (!bytes.empty())
            std::memcpy(m_buffer.get() + m_buffered, bytes.data(), bytes.size());
        m_buffered += bytes.size();
    }
    void append(char byte) {
        if (m_buffered == kBufferSize)
            flushBuffer();
        m_buffer[m_buffered++] = byte;
    }

    // Puts the new contents in place. Returns the empty text on success, else a readable reason
    // (UTF-8) for the first failure since the writer was made; then the target is as it was.
    std::string commit();

  private:
    static constexpr std::size_t kBufferSize = 1 << 20;

    void open(); // creates the temporary file
    void appendLarge(std::string_view bytes);
    void flushBuffer();
    void writeOut(std::string_view bytes);
    void fail(std::string_view what, const std::filesystem::path& path, int error);

    std::filesystem::path m_file;
    std::string m_temporaryPath;
    int m_descriptor = -1;
    bool m_created = false; // the temporary file exists, so it is ours to remove
    std::string m_error;
    bool m_committed = false;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_buffered = 0;
    std::size_t m_written = 0; // bytes handed to the file so far
};

} // namespace dropship
