#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sample_firmware.h"

namespace drvflash::tools {
namespace {

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Field(const std::vector<std::uint8_t>& image, std::size_t at, std::size_t width) {
  return std::string(image.begin() + static_cast<std::ptrdiff_t>(at),
                     image.begin() + static_cast<std::ptrdiff_t>(at + width));
}

class SampleFirmwareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::path(::testing::TempDir()) /
             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  std::filesystem::path folder;
};

TEST_F(SampleFirmwareTest, WritesBothPartsNamedAndMarked) {
  SampleFirmwareSet set;
  set.identity = {"1.31", "HW-REV02", "MORIC", "XTRA"};
  set.model = "XY12";
  const WrittenFirmware written = WriteSampleFirmware(set, folder);
  ASSERT_TRUE(written.error.empty()) << written.error;
  EXPECT_EQ(written.normalPart, folder / "T58XY112.131");
  EXPECT_EQ(written.kernelPart, folder / "T58XY012.131");

  const auto normal = ReadAll(written.normalPart);
  const auto kernel = ReadAll(written.kernelPart);
  ASSERT_EQ(normal.size(), 1048576u);
  ASSERT_EQ(kernel.size(), 65536u);
  for (const auto* image : {&normal, &kernel}) {
    EXPECT_EQ(Field(*image, 144, 4), "1.31");
    EXPECT_EQ(Field(*image, 176, 8), "HW-REV02");
    EXPECT_EQ(Field(*image, 208, 8), "MORIC   ");
    EXPECT_EQ(Field(*image, 240, 8), "XTRA    ");
  }
  EXPECT_EQ(normal[272], 'N');
  EXPECT_EQ(kernel[272], 'K');
  EXPECT_NE(Field(normal, 320, 64), Field(kernel, 320, 64)) << "the parts can be told apart";
}

TEST_F(SampleFirmwareTest, RefusesWhatCannotBeNamedOrHeld) {
  SampleFirmwareSet set;
  set.identity.firmwareVersion = "130";
  EXPECT_NE(WriteSampleFirmware(set, folder).error, "");
  set.identity.firmwareVersion = "1.30";
  set.identity.vendorId = "NINE CHARS";
  EXPECT_NE(WriteSampleFirmware(set, folder).error, "");
  set.identity.vendorId = "ZEPHRA";
  set.model = "AB/";
  EXPECT_NE(WriteSampleFirmware(set, folder).error, "");
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

// The program itself, with the options for a wrong marker and a short file.
TEST_F(SampleFirmwareTest, ProgramWritesWrongMarkerAndShortFile) {
  const std::string command = std::string(MAKE_FIRMWARE_PROGRAM) +
                              " --version 1.29 --wrong-marker normal --short kernel=1000 " +
                              folder.string() + " > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const auto normal = ReadAll(folder / "T58AB1CD.129");
  const auto kernel = ReadAll(folder / "T58AB0CD.129");
  ASSERT_EQ(normal.size(), 1048576u);
  EXPECT_EQ(normal[272], 'K');
  ASSERT_EQ(kernel.size(), 1000u);
  EXPECT_EQ(kernel[272], 'K');

  const std::string bad = std::string(MAKE_FIRMWARE_PROGRAM) + " --short kernel=99999 " +
                          folder.string() + " 2> /dev/null";
  EXPECT_NE(std::system(bad.c_str()), 0);
}

}  // namespace
}  // namespace drvflash::tools
