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

// The temporary file until it has been renamed into place: closed and removed on every early
// return, so a failed save leaves nothing behind.
class TemporaryFile {
  public:
    TemporaryFile(int descriptor, std::string path) : m_descriptor(descriptor), m_path(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        if (!m_committed)
            ::unlink(m_path.c_str());
    }

    int descriptor() const { return m_descriptor; }
    const std::string& path() const { return m_path; }
    // Closes the file; returns errno on failure, else 0.
    int close() {
        const int result = ::close(m_descriptor);
        m_descriptor = -1;
        return result == 0 ? 0 : errno;
    }
    void commit() { m_committed = true; }

  private:
    int m_descriptor;
    std::string m_path;
    bool m_committed = false;
};

// Returns errno of the failed write, else 0.
int writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
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

} // namespace

std::string replaceFileContents(const std::filesystem::path& file, std::string_view bytes) {
    if (!file.has_filename())
        return reason("not a file name:", file, EINVAL);
    const std::filesystem::path directory = file.has_parent_path() ? file.parent_path() : ".";
    struct stat old {};
    const bool existed = ::stat(file.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode))
        return reason("cannot replace", file, EISDIR);

    std::string pattern = (directory / ("." + file.filename().string() + ".XXXXXX")).string();
    const int descriptor = ::mkostemp(pattern.data(), O_CLOEXEC); // mode 0600
    if (descriptor < 0)
        return reason("cannot create a temporary file in", directory, errno);
    TemporaryFile temporary(descriptor, pattern);

    if (existed) {
        // Only a privileged process may give a file away; otherwise the file becomes ours. The
        // owner goes first because changing it clears set-id bits of the mode.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)!::fchown(descriptor, old.st_uid, old.st_gid);
        if (::fchmod(descriptor, old.st_mode & 07777) != 0)
            return reason("cannot set the permissions of", temporary.path(), errno);
    }
    if (const int error = writeAll(descriptor, bytes))
        return reason("cannot write", temporary.path(), error);
    if (::fsync(descriptor) != 0)
        return reason("cannot flush", temporary.path(), errno);
    if (const int error = temporary.close())
        return reason("cannot close", temporary.path(), error);
    if (::rename(temporary.path().c_str(), file.c_str()) != 0)
        return reason("cannot replace", file, errno);
    temporary.commit();
    syncDirectory(directory);
    return {};
}

} // namespace dropship
