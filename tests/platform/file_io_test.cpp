// The Windows file calls on POSIX: which names open for reading.
#include "platform/system/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

HANDLE open_for_reading(const std::string& name) {
    return CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                       nullptr);
}

}  // namespace

TEST(FileIo, OnlyRegularFilesOpenAndNothingElseWaits) {
    const std::filesystem::path dir =
        std::filesystem::path(testing::TempDir()) / ("lumivex-file-io-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string fifo = (dir / "song.mp3").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    // While something holds the FIFO open, an open would not wait, but every read could.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(open_for_reading(fifo), INVALID_HANDLE_VALUE);
    ::close(writer);
    // With nobody at its other end, a blocking open would never return.
    EXPECT_EQ(open_for_reading(fifo), INVALID_HANDLE_VALUE);
    // A device that never ends, and a folder.
    EXPECT_EQ(open_for_reading("/dev/zero"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(open_for_reading(dir.string()), INVALID_HANDLE_VALUE);

    // A regular file still opens and reads whole.
    const std::string song = (dir / "real.mp3").string();
    const int fd = ::open(song.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "abcdef", 6), 6);
    ::close(fd);
    HANDLE file = open_for_reading(song);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char buffer[16] = {};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(got, 6u);
    EXPECT_STREQ(buffer, "abcdef");
    CloseHandle(file);
    std::filesystem::remove_all(dir);
}
