#include "firmware/firmware_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

class FirmwareFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("drvflash-firmware-file-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(const std::string& name, std::size_t size) {
    const fs::path path = dir_ / name;
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < size; ++i)
      out.put(static_cast<char>(i % 251));
    return path;
  }

  fs::path dir_;
};

TEST_F(FirmwareFileTest, OnlyAnExistingRegularFileOpens) {
  const fs::path fifo = dir_ / "T58AB1CD.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(dir_ / "T58AB1CD.dir");

  EXPECT_TRUE(FirmwareFile::Open(Write("T58AB1CD.128", 400)));
  EXPECT_FALSE(FirmwareFile::Open(dir_ / "T58AB1CD.dir"));
  EXPECT_FALSE(FirmwareFile::Open(fifo)) << "refused, and without waiting for a writer";
  EXPECT_FALSE(FirmwareFile::Open(dir_ / "missing.128"));
  EXPECT_FALSE(FirmwareFile::Open(""));
}

// Root reads every file, so as root the open is tried by a child that gave up root.
TEST_F(FirmwareFileTest, UnreadableFileDoesNotOpen) {
  const fs::path path = Write("T58AB1CD.128", 400);
  fs::permissions(path, fs::perms::owner_write);
  if (::geteuid() != 0) {
    EXPECT_FALSE(FirmwareFile::Open(path));
    return;
  }
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
    ::_exit(!dropped ? 2 : FirmwareFile::Open(path) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: opened although unreadable; 2: could not drop root";
}

TEST_F(FirmwareFileTest, NotSharedWithAnotherOpenerWhileOpen) {
  const fs::path path = Write("T58AB1CD.128", 400);
  {
    auto first = FirmwareFile::Open(path);
    ASSERT_TRUE(first);
    EXPECT_FALSE(FirmwareFile::Open(path));
  }
  EXPECT_TRUE(FirmwareFile::Open(path)) << "closing releases the file";
}

TEST_F(FirmwareFileTest, HeaderNeedsAll320BytesAndReadsGoOnFromTheLastOne) {
  EXPECT_FALSE(FirmwareFile::Open(Write("short", 319))->ReadHeader());

  auto file = FirmwareFile::Open(Write("whole", 1000));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Size(), 1000u);
  const auto header = file->ReadHeader();
  ASSERT_TRUE(header);
  EXPECT_EQ(header->partKind, 272 % 251);
  std::array<std::uint8_t, 600> chunk{};
  EXPECT_EQ(file->Read(chunk), 600u);
  EXPECT_EQ(chunk[0], 0) << "reading the header does not move the read position";
  EXPECT_EQ(file->Read(chunk), 400u);
  EXPECT_EQ(chunk[0], 600 % 251);
  EXPECT_EQ(file->Read(chunk), 0u);
}

}  // namespace
