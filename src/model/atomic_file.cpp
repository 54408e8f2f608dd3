#include "model/atomic_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace dropship {
namespace {

std::string reason(std::string_view what, const std::filesystem::path& path, int error) {
    std::string text(what);
    text += " ";
    text += path.string();
    text += ": ";
    text += std::generic_category().message(error);
    return text;
}

// Makes the rename itself durable. A failure here cannot be undone any more and the new file is
// already in place, so it is not reported.
void syncDirectory(const std::filesystem::path& directory) {
    const int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
}

std::filesystem::path folderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::filesystem::path file)
    : m_file(std::move(file)), m_buffer(std::make_unique_for_overwrite<char[]>(kBufferSize)) {
    open();
}

void AtomicFileWriter::open() {
    if (!m_file.has_filename())
        return fail("not a file name:", m_file, EINVAL);
    // A list file that is a symbolic link is saved where the link points: renaming over the link
    // itself would silently turn it into a plain file and leave its target stale.
    std::error_code error;
    if (std::filesystem::is_symlink(m_file, error)) {
        const std::filesystem::path target = std::filesystem::canonical(m_file, error);
        if (error)
            return fail("cannot follow the link", m_file, error.value());
        m_file = target;
    }
    struct stat old {};
    const bool existed = ::stat(m_file.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode))
        return fail("cannot replace", m_file, EISDIR);
    // The rename below would replace even a file the user made read-only; keep such a file as
    // it is and report it, like a write that fails.
    if (existed && (old.st_mode & S_IWUSR) == 0)
        return fail("the file is read-only:", m_file, EACCES);

    m_temporaryPath = (folderOf(m_file) / ("." + m_file.filename().string() + ".XXXXXX")).string();
    m_descriptor = ::mkostemp(m_temporaryPath.data(), O_CLOEXEC); // mode 0600
    if (m_descriptor < 0)
        return fail("cannot create a temporary file in", folderOf(m_file), errno);
    m_created = true;
    if (existed) {
        // Only a privileged process may give a file away; otherwise the file becomes ours. The
        // owner goes first because changing it clears set-id bits of the mode.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)!::fchown(m_descriptor, old.st_uid, old.st_gid);
        if (::fchmod(m_descriptor, old.st_mode & 07777) != 0)
            return fail("cannot set the permissions of", m_temporaryPath, errno);
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    if (m_created && !m_committed)
        ::unlink(m_temporaryPath.c_str());
}

void AtomicFileWriter::fail(std::string_view what, const std::filesystem::path& path, int error) {
    if (m_error.empty())
        m_error = reason(what, path, error);
}

void AtomicFileWriter::appendLarge(std::string_view bytes) {
    flushBuffer();
    if (bytes.size() >= kBufferSize)
        return writeOut(bytes);
    std::memcpy(m_buffer.get(), bytes.data(), bytes.size());
    m_buffered = bytes.size();
}

void AtomicFileWriter::flushBuffer() {
    writeOut(std::string_view(m_buffer.get(), m_buffered));
    m_buffered = 0;
}

void AtomicFileWriter::writeOut(std::string_view bytes) {
    if (!m_error.empty() || m_descriptor < 0)
        return;
    const std::size_t start = m_written;
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return fail("cannot write", m_temporaryPath, errno);
        bytes.remove_prefix(static_cast<std::size_t>(written));
        m_written += static_cast<std::size_t>(written);
    }
#if defined(__linux__)
    // Start writing these bytes to disk now; commit() then waits only for the rest.
    ::sync_file_range(m_descriptor, static_cast<off_t>(start), static_cast<off_t>(m_written - start),
                      SYNC_FILE_RANGE_WRITE);
#else
    (void)start;
#endif
}

std::string AtomicFileWriter::commit() {
    flushBuffer();
    if (m_error.empty() && ::fsync(m_descriptor) != 0)
        fail("cannot flush", m_temporaryPath, errno);
    if (m_error.empty()) {
        const int result = ::close(m_descriptor);
        m_descriptor = -1;
        if (result != 0)
            fail("cannot close", m_temporaryPath, errno);
    }
    if (m_error.empty() && ::rename(m_temporaryPath.c_str(), m_file.c_str()) != 0)
        fail("cannot replace", m_file, errno);
    if (!m_error.empty())
        return m_error;
    m_committed = true;
    syncDirectory(folderOf(m_file));
    return {};
}

} // namespace dropship
