#include "drive/drive_scan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <utility>

#include "drive_fixture.h"
#include "inquiry_data.h"

namespace drvflash::testing {
namespace {

using namespace std::chrono_literals;

class DriveScanTest : public DriveFixture {
 protected:
  // Answers the scan INQUIRY of the listed (adapter, target) pairs; every other target has no
  // device and ends at once with an adapter error.
  void Devices(std::map<std::pair<int, int>, ScriptedReply> devices) {
    layer.SetResponder([devices = std::move(devices)](const SentRequest& r) {
      const auto found = devices.find({r.block.SRB_HaId, r.block.SRB_Target});
      return found != devices.end() ? found->second
                                    : ScriptedReply::Now(ScsiAnswer::HostError(HASTAT_SEL_TO));
    });
  }
  static ScriptedReply Answer(const char* vendor, const char* product, const char* revision) {
    return ScriptedReply::Now(ScsiAnswer::Good(InquiryData(vendor, product, revision)));
  }
};

TEST_F(DriveScanTest, ListsEveryQtx517InScanOrderWithItsAdapterAndInquiryText) {
  layer.SetAdapters({"SIM HOST ADAPTER", std::string("IDE\0junk", 8)});
  Devices({{{0, 3}, Answer("ROZUVAZ ", "QTX-517", "1.30")},
           {{0, 1}, Answer("ZEPHRA  ", "QTX-517", "1.28")},
           {{0, 4}, Answer("ACME", "DISK", "0001")},
           {{1, 0}, Answer("QTX-517 ", "OTHER", "0100")}});

  const auto entries = FindDrives();
  ASSERT_TRUE(entries);
  EXPECT_EQ(*entries, (std::vector<std::string>{
                          "HA=0 ID=1 SIM HOST ADAPTER  ZEPHRA  QTX-517          (ver1.28)",
                          "HA=0 ID=3 SIM HOST ADAPTER  ROZUVAZ QTX-517          (ver1.30)",
                          "HA=1 ID=0 IDE  QTX-517 OTHER            (ver0100)",
                      }))
      << "a 16-character identifier has no NUL and ends after its 16th byte";
  EXPECT_EQ(layer.AdapterInquiries(), (std::vector<BYTE>{0, 1}));

  const auto requests = layer.Requests();
  ASSERT_EQ(requests.size(), 16u) << "targets 0 to 7 of each adapter";
  for (std::size_t i = 0; i < requests.size(); ++i) {
    EXPECT_EQ(requests[i].block.SRB_Target, i % 8);
    EXPECT_EQ(requests[i].block.SRB_Lun, 0);
    EXPECT_EQ(requests[i].block.SRB_Flags, 0x48);
    EXPECT_EQ(requests[i].block.SRB_BufLen, 254u);
    EXPECT_EQ(requests[i].Cdb(), (std::vector<BYTE>{0x12, 0, 0, 0, 0xFE, 0}));
  }
}

TEST_F(DriveScanTest, TargetThatAnswersAfter20MsIsLeftOutAndItsAnswerDropped) {
  layer.SetAdapters({"A"});
  Devices(
      {{{0, 1},
        ScriptedReply::After(21ms, ScsiAnswer::Good(InquiryData("LATE", "QTX-517", "9.99")))},
       {{0, 2},
        ScriptedReply::After(15ms, ScsiAnswer::Good(InquiryData("ROZUVAZ ", "QTX-517", "1.30")))}});

  const auto entries = FindDrives();
  ASSERT_TRUE(entries);
  EXPECT_EQ(*entries, std::vector<std::string>{"HA=0 ID=2 A  ROZUVAZ QTX-517          (ver1.30)"});
  EXPECT_FALSE(layer.Requests()[1].delivered);
  EXPECT_EQ(clock.Waits(), std::vector<Milliseconds>(2, 20ms))
      << "only the two pending requests were waited for, 20 ms each";
}

TEST_F(DriveScanTest, UnusableLayerFindsNothingAndNoAdaptersFindsAnEmptyList) {
  layer.SetSupportStatus(SS_NO_ASPI);
  layer.SetAdapters({"A"});
  EXPECT_FALSE(FindDrives());
  EXPECT_TRUE(layer.Requests().empty());

  layer.SetSupportStatus(SS_COMP);
  layer.SetAdapters({});
  const auto entries = FindDrives();
  ASSERT_TRUE(entries);
  EXPECT_TRUE(entries->empty());
}

TEST_F(DriveScanTest, InquiryTextEndsAtANulAndTheModelIsSoughtInIt) {
  layer.SetAdapters({"A"});
  std::vector<BYTE> cut = InquiryData("ROZUVAZ ", "QTX", "1.28");
  cut[19] = 0;  // "QTX" then NUL: "-517" never makes it into the text
  std::memcpy(&cut[20], "-517", 4);
  Devices({{{0, 0}, ScriptedReply::Now(ScsiAnswer::Good(cut))},
           {{0, 5}, Answer("ROZUVAZ ", "QTX-517", "1.28")}});
  const auto entries = FindDrives();
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 1u);
  EXPECT_EQ(BuildInquiryText(cut.data()), "ROZUVAZ QTX");
}

TEST(DriveListEntryTest, AddressAndVersionComeBackFromTheEntryText) {
  const std::string entry = BuildDriveListEntry(10, 2, "SIM", "ROZUVAZ QTX-517          (ver1.28)");
  EXPECT_EQ(entry, "HA=a ID=2 SIM  ROZUVAZ QTX-517          (ver1.28)");

  struct Case {
    std::string entry;
    int haId, targetId;
    std::optional<std::string> version;
  };
  const Case cases[] = {
      {entry, 10, 2, "1.28"},
      {"HA=1f ID=7 X  Y (ver2.0", 31, 7, "2.0"},
      {"QTX-517 is not found", 0, 0, std::nullopt},
      {"QTX-517が見つかりません", 0, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    const DriveAddress address = ParseDriveAddress(c.entry);
    EXPECT_EQ(address.haId, c.haId) << c.entry;
    EXPECT_EQ(address.targetId, c.targetId) << c.entry;
    EXPECT_EQ(ParseDriveVersion(c.entry), c.version) << c.entry;
  }
}

}  // namespace
}  // namespace drvflash::testing
