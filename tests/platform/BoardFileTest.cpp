#include "BoardFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace ruva {
namespace {

// Locks the file as another process would: through an open file of its own.
bool LockElsewhere(const std::string& path) {
#ifdef _WIN32
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    OVERLAPPED at{};
    at.Offset = 0x7FFFFFFF;
    return ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != FALSE;
#else
    return ::flock(::open(path.c_str(), O_RDONLY | O_CLOEXEC), LOCK_EX | LOCK_NB) == 0;
#endif
}

TEST(BoardFileTest, OneProcessHoldsABoardAndItsMarkOutlivesTheHold) {
    const auto folder = std::filesystem::temp_directory_path() / ("ruva-board-file-" + std::to_string(std::random_device()()));
    std::filesystem::create_directory(folder);
    const std::string prefix = (folder / "ruva2").string();
    for (bool marked : {false, true}) {
        BoardFile first, again;
        ASSERT_EQ(first.Lock(prefix, 1, {}), BoardFile::Status::Locked);
        EXPECT_EQ(again.Lock(prefix, 1, {}), BoardFile::Status::Locked); // this process holds it already
        EXPECT_EQ(again.ClockUnsure(), marked); // the mark outlives the hold
        EXPECT_TRUE(again.SetClockUnsure(!marked));
        EXPECT_EQ(first.ClockUnsure(), !marked);
        EXPECT_FALSE(LockElsewhere(first.Path()));
    }
    BoardFile other;
    ASSERT_TRUE(LockElsewhere(BoardFile::PathFor(prefix, 1)));
    EXPECT_EQ(other.Lock(prefix, 1, std::chrono::milliseconds(100)), BoardFile::Status::Busy);
    EXPECT_EQ(other.Lock((folder / "none" / "none" / "ruva2").string(), 1, {}), BoardFile::Status::Unavailable);
    EXPECT_NE(other.Error(), "");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace
} // namespace ruva
