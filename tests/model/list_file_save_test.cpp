// Saving lists: the exact bytes, the mends for cells that would not load back, and a save that
// never costs the user the old file.
#include "list_file_fixture.h"
#include "model/list_file.h"
#include "model/order_columns.h"
#include "web/gbk.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dropship {
namespace {

using namespace testing_support;

std::string separators(int count) {
    std::string text;
    for (int n = 0; n < count; ++n)
        text += S;
    return text;
}

struct SaveCase {
    const char* name;
    int columns;
    Rows rows;
    std::string expected;
};

class SaveList : public testing::TestWithParam<SaveCase> {};

TEST_P(SaveList, WritesEveryCellFollowedByTheSeparator) {
    const SaveCase& c = GetParam();
    TempDir dir;
    OrderList list(c.columns);
    list.appendRows(c.rows);
    const SaveResult result = saveList(list, dir / "list.txt");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(readBytes(dir / "list.txt"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveList,
    testing::Values(
        SaveCase{"EmptyListGivesZeroBytes", 13, {}, ""},
        // NO 1 and order number 123, all else empty: 13 separators in all.
        SaveCase{"SalesRowWithTwoCells",
                 SalesColumn::Count,
                 {{"1", "", "123"}},
                 "1" + S + S + "123" + S + separators(10) + "\r\n"},
        SaveCase{"EmptyRowsKeepTheirSeparators", 2, {{}, {"a", "b"}}, S + S + "\r\na" + S + "b" + S + "\r\n"},
        SaveCase{"ChineseCellsAsTheyStand", 1, {{"\xD5\xC5\xC8\xFD"}}, "\xD5\xC5\xC8\xFD" + S + "\r\n"},
        // Mended cells: each would otherwise come back shifted or split.
        SaveCase{"LineBreaksBecomeOneBlankEach",
                 2,
                 {{"a\r\nb", "c\rd\ne\n\rf"}},
                 "a b" + S + "c d e  f" + S + "\r\n"},
        SaveCase{"SeparatorInACellBecomesStandIn", 2, {{"x" + S + "y", S}}, "x<->y" + S + "<->" + S + "\r\n"},
        SaveCase{"SeparatorBytesInsideCharactersStay",
                 1,
                 {{"\xB0\xA1\xFB\xA1\xFA\xA1"}},
                 "\xB0\xA1\xFB\xA1\xFA\xA1" + S + "\r\n"},
        SaveCase{"CutCharacterAtCellEndBecomesQuestionMark",
                 2,
                 {{"ab\xB0", "\xD5\xC5\xC8"}},
                 "ab?" + S + "\xD5\xC5?" + S + "\r\n"},
        SaveCase{
            "CutCharacterInARowThatAlsoNeedsMending", 2, {{"a\nb\xB0", "c"}}, "a b?" + S + "c" + S + "\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every mended row loads back as one row with as many cells as it had.
TEST(SaveListMends, MendedRowsLoadBackAsOneRowEach) {
    TempDir dir;
    OrderList list(3);
    list.appendRows({{"a\r\nb", "x" + S + "y", "z\xB0"}, {"next", "", "\n"}});
    ASSERT_TRUE(saveList(list, dir / "list.txt").ok);
    OrderList loaded(3);
    EXPECT_EQ(loadList(loaded, dir / "list.txt"), 2);
    EXPECT_EQ(loaded.snapshot(), (Rows{{"a b", "x<->y", "z?"}, {"next", "", " "}}));
}

mode_t permissionsOf(const std::filesystem::path& file) {
    struct stat info {};
    EXPECT_EQ(::stat(file.c_str(), &info), 0);
    return info.st_mode & 07777;
}

class SaveListPermissions : public testing::TestWithParam<mode_t> {};

TEST_P(SaveListPermissions, ExistingFileKeepsItsMode) {
    TempDir dir;
    writeBytes(dir / "list.txt", "old");
    ASSERT_EQ(::chmod((dir / "list.txt").c_str(), GetParam()), 0);
    OrderList list(1);
    list.appendRows({{"new"}});
    ASSERT_TRUE(saveList(list, dir / "list.txt").ok);
    EXPECT_EQ(readBytes(dir / "list.txt"), "new" + S + "\r\n");
    EXPECT_EQ(permissionsOf(dir / "list.txt"), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Modes, SaveListPermissions, testing::Values(0644, 0640, 0600, 0666));

TEST(SaveListPermissionsNew, NewFileIsPrivateWhateverTheUmask) {
    TempDir dir;
    const mode_t previous = ::umask(0);
    OrderList list(1);
    const SaveResult result = saveList(list, dir / "list.txt");
    ::umask(previous);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(permissionsOf(dir / "list.txt"), 0600u);
}

// The directory's entries other than the list file: a failed save must leave no temporary file.
std::vector<std::string> otherEntries(const std::filesystem::path& dir, const std::string& keep) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().filename() != keep)
            names.push_back(entry.path().filename().string());
    }
    return names;
}

OrderList& bigList() {
    static OrderList list(2);
    if (list.rowCount() == 0) {
        for (int n = 0; n < 1000; ++n)
            list.appendRows({{std::to_string(n), std::string(100, 'x')}});
    }
    return list;
}

TEST(SaveListFailure, FolderThatIsAFileFailsWithAReason) {
    TempDir dir;
    writeBytes(dir / "plain", "not a folder");
    OrderList list(1);
    const SaveResult result = saveList(list, dir / "plain" / "list.txt");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("Not a directory"), std::string::npos) << result.error;
    EXPECT_EQ(readBytes(dir / "plain"), "not a folder");
}

TEST(SaveListFailure, TargetThatIsAFolderIsKept) {
    TempDir dir;
    std::filesystem::create_directory(dir / "list.txt");
    OrderList list(1);
    const SaveResult result = saveList(list, dir / "list.txt");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "list.txt"));
    EXPECT_EQ(otherEntries(dir.path(), "list.txt"), std::vector<std::string>{});
}

TEST(SaveListFailure, ReadOnlyFileIsKeptAndReported) {
    TempDir dir;
    writeBytes(dir / "list.txt", "old");
    ASSERT_EQ(::chmod((dir / "list.txt").c_str(), 0444), 0);
    OrderList list(1);
    list.appendRows({{"new"}});
    const SaveResult result = saveList(list, dir / "list.txt");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("read-only"), std::string::npos) << result.error;
    EXPECT_EQ(readBytes(dir / "list.txt"), "old");
    EXPECT_EQ(permissionsOf(dir / "list.txt"), 0444u);
    EXPECT_EQ(otherEntries(dir.path(), "list.txt"), std::vector<std::string>{});
}

TEST(SaveListLinks, SymbolicLinkKeepsPointingAtTheSavedFile) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    writeBytes(dir / "real" / "list.txt", "old");
    std::filesystem::create_symlink(std::filesystem::path("real") / "list.txt", dir / "list.txt");
    OrderList list(1);
    list.appendRows({{"new"}});
    ASSERT_TRUE(saveList(list, dir / "list.txt").ok);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "list.txt"));
    EXPECT_EQ(readBytes(dir / "real" / "list.txt"), "new" + S + "\r\n");
}

// A file size limit makes the write fail part way, as a full disk does.
TEST(SaveListFailure, WriteThatFailsPartWayKeepsTheOldFile) {
    TempDir dir;
    writeBytes(dir / "list.txt", "old contents");
    struct rlimit previous {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = previous;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const SaveResult result = saveList(bigList(), dir / "list.txt");
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("cannot write"), std::string::npos) << result.error;
    EXPECT_EQ(readBytes(dir / "list.txt"), "old contents");
    EXPECT_EQ(otherEntries(dir.path(), "list.txt"), std::vector<std::string>{});
}

// Makes a folder unwritable even for root (which ignores permission bits): the immutable flag
// where the file system has one, else the permission bits alone.
class UnwritableFolder {
  public:
    explicit UnwritableFolder(const std::filesystem::path& path) : m_path(path) {
        ::chmod(path.c_str(), 0500);
        m_descriptor = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (m_descriptor >= 0 && ::ioctl(m_descriptor, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_immutable = ::ioctl(m_descriptor, FS_IOC_SETFLAGS, &flags) == 0;
        }
    }
    ~UnwritableFolder() {
        if (m_immutable) {
            int flags = 0;
            ::ioctl(m_descriptor, FS_IOC_GETFLAGS, &flags);
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(m_descriptor, FS_IOC_SETFLAGS, &flags);
        }
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        ::chmod(m_path.c_str(), 0700);
    }
    // Whether creating a file there really fails for this process.
    bool works() const {
        const std::string probe = (m_path / "probe").string();
        const int descriptor = ::open(probe.c_str(), O_WRONLY | O_CREAT, 0600);
        if (descriptor < 0)
            return true;
        ::close(descriptor);
        ::unlink(probe.c_str());
        return false;
    }

  private:
    std::filesystem::path m_path;
    int m_descriptor = -1;
    bool m_immutable = false;
};

TEST(SaveListFailure, ReadOnlyFolderKeepsTheOldFile) {
    TempDir dir;
    std::filesystem::create_directory(dir / "lists");
    writeBytes(dir / "lists" / "list.txt", "old contents");
    UnwritableFolder unwritable(dir / "lists");
    if (!unwritable.works())
        GTEST_SKIP() << "this process can write into any folder here";
    const SaveResult result = saveList(bigList(), dir / "lists" / "list.txt");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("cannot create a temporary file"), std::string::npos) << result.error;
    EXPECT_EQ(readBytes(dir / "lists" / "list.txt"), "old contents");
}

} // namespace
} // namespace dropship
