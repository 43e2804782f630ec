#include "firmware/firmware_discovery.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(FirmwareNamingTest, PatternIgnoresCaseAndNeedsTheNormalPartMarker) {
  struct Case {
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"T58AB1CD.128", true},   {"t58ab1cd.128", true},
      {"T58AB1", true},         {"T58AB1CD_NEW.128", true},
      {"T58ああ1CD.128", true}, {"T58AB0CD.128", false},
      {"T58AB", false},         {"X58AB1CD.128", false},
      {"T5AB1CD.128", false},   {".", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesFirmwareFilePattern(c.name), c.matches) << c.name;
  }
}

TEST(FirmwareNamingTest, RankReadsTheLastThreeCharactersLikeAtoi) {
  struct Case {
    const char* name;
    std::uint32_t rank;
  };
  const Case cases[] = {
      {"T58AB1CD.128", 128},         {"T58AB1CD.000", 0},  {"T58AB1CD.abc", 0},
      {"T58AB1CD.1a2", 1},           {"T58AB1CD. 12", 12}, {"T58AB1CD.+12", 12},
      {"T58AB1CD.-12", 0xFFFFFFF4u}, {"12", 12},           {"T58AB1CD.12あ", 12},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FirmwareNameRank(c.name), c.rank) << c.name;
  }
}

TEST(FirmwareNamingTest, NewestIsTheHighestRankAndTheLaterOfEqualOnes) {
  EXPECT_EQ(NewestFirmwareName({"T58AA1BB.125", "T58CC1DD.128", "T58EE1FF.126"}), "T58CC1DD.128");
  EXPECT_EQ(NewestFirmwareName({"T58AA1BB.128", "T58CC1DD.128"}), "T58CC1DD.128");
  EXPECT_EQ(NewestFirmwareName({"T58AA1BB.130", "T58CC1DD.-01"}), "T58CC1DD.-01");
  EXPECT_EQ(NewestFirmwareName({"T58AA1BB.000", "T58CC1DD.abc"}), std::nullopt);
  EXPECT_EQ(NewestFirmwareName({}), std::nullopt);
}

TEST(FirmwareNamingTest, VersionLabels) {
  EXPECT_EQ(DiscoveredVersionLabel("T58CC1DD.128"), "1.28");
  EXPECT_EQ(DiscoveredVersionLabel("T58AB1CD_NEW.128"), ".128");
  EXPECT_EQ(DiscoveredVersionLabel("T58AB1"), "AB1.");
  EXPECT_EQ(ChosenVersionLabel("/fw/T58CC1DD.128"), "1.28");
  EXPECT_EQ(ChosenVersionLabel("/fw/T58AB1CD_NEW.128"), "1.28");
  EXPECT_EQ(ChosenVersionLabel("/fw/版本ファ"), "本.ファ");
}

class FirmwareDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("drvflash-discovery-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Touch(const std::string& name) { std::ofstream(dir_ / name).put('x'); }
  fs::path dir_;
};

TEST_F(FirmwareDirectoryTest, CollectsTheFirst500MatchesDirectoriesIncluded) {
  for (int i = 0; i < 510; ++i)
    Touch("T58AB1CD." + std::to_string(100 + i));
  Touch("T58AB0CD.999");
  Touch("readme.txt");
  fs::create_directory(dir_ / "t58zz1zz.777");

  const auto names = MatchingFirmwareNames(dir_);
  EXPECT_EQ(names.size(), 500u);
  EXPECT_TRUE(std::none_of(names.begin(), names.end(),
                           [](const std::string& n) { return n == "T58AB0CD.999"; }));

  // The order is the directory's; the 500 taken are exactly the first 500 it yields.
  std::vector<std::string> all;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    const std::string name = entry.path().filename().string();
    if (MatchesFirmwareFilePattern(name))
      all.push_back(name);
  }
  ASSERT_EQ(all.size(), 511u);
  all.resize(500);
  EXPECT_EQ(names, all);
}

TEST_F(FirmwareDirectoryTest, UnreadableOrMissingDirectoryYieldsNothing) {
  EXPECT_TRUE(MatchingFirmwareNames(dir_ / "missing").empty());
  EXPECT_TRUE(MatchingFirmwareNames(dir_).empty());
}

}  // namespace
