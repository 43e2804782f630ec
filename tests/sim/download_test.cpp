#include <cstring>
#include <functional>

#include "sim_fixture.h"

namespace drvflash::sim::testing {
namespace {

class DownloadTest : public SimFixture {};

std::string IdBlockText() {
  return std::string(reinterpret_cast<const char*>(g_readBuffer), 40);
}

TEST_F(DownloadTest, FullUpdateWithKernelPart) {
  Start(OneDriveScenario(R"("kernel_required": true)"));
  EXPECT_EQ(TestUnitReady(), OUTCOME_NO_MEDIUM);
  ASSERT_EQ(ReadDriveIdBlock(), OUTCOME_OK);
  EXPECT_EQ(IdBlockText(), "SIM0000000000001HW-REV01ZEPHRA  STD     ");
  EXPECT_EQ(InquiryRevision(), "1.28");
  EXPECT_EQ(ProbeKernelMarker(), 0);

  ASSERT_EQ(WriteSignature(4), OUTCOME_OK);
  EXPECT_TRUE(Drive().downloadMode);
  ASSERT_EQ(SendPart(KERNEL_BUFFER, KernelImage()), OUTCOME_OK);
  EXPECT_TRUE(Drive().kernelMode) << "a complete kernel part restarts the drive into its kernel";
  clock.Sleep(4000ms);
  EXPECT_EQ(TestUnitReady(), OUTCOME_RESET);
  EXPECT_EQ(TestUnitReady(), OUTCOME_NO_MEDIUM);

  ASSERT_EQ(SendPart(NORMAL_BUFFER, NormalImage()), OUTCOME_OK) << "no mode 4 after the kernel";
  ASSERT_EQ(WriteSignature(5), OUTCOME_OK);
  clock.Sleep(4000ms);
  EXPECT_EQ(InquiryRevision(), "1.30");
  EXPECT_FALSE(Drive().kernelMode);
  EXPECT_EQ(ProbeKernelMarker(), 0);
}

TEST_F(DownloadTest, FullUpdateWithoutKernelPart) {
  Start(OneDriveScenario());
  ASSERT_EQ(WriteSignature(4), OUTCOME_OK);
  ASSERT_EQ(SendPart(NORMAL_BUFFER, NormalImage()), OUTCOME_OK);
  ASSERT_EQ(WriteSignature(5), OUTCOME_OK);
  clock.Sleep(4000ms);
  EXPECT_EQ(InquiryRevision(), "1.30");
  EXPECT_FALSE(Drive().downloadMode);
}

// What the drive received before the closing command decides what it runs afterwards.
struct ClosingCase {
  const char* name;
  const char* targetFields;
  std::vector<std::uint8_t> kernel;  // empty: no kernel part sent
  std::size_t kernelChunks;
  std::vector<std::uint8_t> normal;
  std::size_t normalChunks;
  const char* revisionAfter;
};

std::vector<std::uint8_t> WithByte(std::vector<std::uint8_t> image, std::size_t at, char value) {
  image[at] = static_cast<std::uint8_t>(value);
  return image;
}

tools::FirmwareIdentity Identity(const char* hardware, const char* vendor, const char* variant) {
  tools::FirmwareIdentity identity = FittingIdentity();
  identity.hardwareVersion = hardware;
  identity.vendorId = vendor;
  identity.variantId = variant;
  return identity;
}

TEST_F(DownloadTest, ClosingKeepsOnlyACompleteFittingImage) {
  const char* kernelRequired = R"("kernel_required": true)";
  const std::vector<ClosingCase> cases = {
      {"fitting normal part", "", {}, 0, NormalImage(), 32, "1.30"},
      {"other variant: not the drive's to check",
       "",
       {},
       0,
       NormalImage(Identity("HW-REV01", "ZEPHRA  ", "XTRA    ")),
       32,
       "1.30"},
      {"required kernel part sent first", kernelRequired, KernelImage(), 2, NormalImage(), 32,
       "1.30"},
      {"required kernel part missing", kernelRequired, {}, 0, NormalImage(), 32, "0000"},
      {"kernel part incomplete", kernelRequired, KernelImage(), 1, NormalImage(), 32, "0000"},
      {"kernel part without its marker", kernelRequired, WithByte(KernelImage(), 272, 'N'), 2,
       NormalImage(), 32, "0000"},
      {"normal part without its last chunk", "", {}, 0, NormalImage(), 31, "0000"},
      {"normal part without its first chunk", "", {}, 0, NormalImage(), 0, "0000"},
      {"normal part marked as kernel", "", {}, 0, WithByte(NormalImage(), 272, 'K'), 32, "0000"},
      {"normal part of another hardware version",
       "",
       {},
       0,
       NormalImage(Identity("HW-REV02", "ZEPHRA  ", "STD     ")),
       32,
       "0000"},
      {"normal part of another edition",
       "",
       {},
       0,
       NormalImage(Identity("HW-REV01", "MORIC   ", "STD     ")),
       32,
       "0000"},
  };
  for (const ClosingCase& c : cases) {
    SCOPED_TRACE(c.name);
    Start(OneDriveScenario(c.targetFields));
    ASSERT_EQ(WriteSignature(4), OUTCOME_OK);
    if (!c.kernel.empty()) {
      ASSERT_EQ(SendChunks(KERNEL_BUFFER, c.kernel, 0, c.kernelChunks), OUTCOME_OK);
      clock.Sleep(4000ms);
      TestUnitReady();
      ASSERT_EQ(WriteSignature(4), OUTCOME_OK);
    }
    const std::size_t first = c.normalChunks == 0 ? 1 : 0;
    const std::size_t last = c.normalChunks == 0 ? 32 : c.normalChunks;
    ASSERT_EQ(SendChunks(NORMAL_BUFFER, c.normal, first, last), OUTCOME_OK);
    ASSERT_EQ(WriteSignature(5), OUTCOME_OK);
    clock.Sleep(4000ms);
    EXPECT_EQ(InquiryRevision(), c.revisionAfter);
    const bool leftInKernel = std::string_view(c.revisionAfter) == "0000";
    EXPECT_EQ(Drive().kernelMode, leftInKernel);
    EXPECT_EQ(ProbeKernelMarker(), leftInKernel ? 1 : 0);
  }
}

TEST_F(DownloadTest, OnlyACompleteMarkedKernelPartRestartsTheDrive) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> image;
    std::size_t chunks;
    bool restarts;
  };
  const std::vector<Case> cases = {
      {"complete", KernelImage(), 2, true},
      {"first chunk only", KernelImage(), 1, false},
      {"marked as normal", WithByte(KernelImage(), 272, 'N'), 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(OneDriveScenario());
    ASSERT_EQ(WriteSignature(4), OUTCOME_OK);
    ASSERT_EQ(SendChunks(KERNEL_BUFFER, c.image, 0, c.chunks), OUTCOME_OK);
    const Milliseconds sent = clock.Now();
    EXPECT_EQ(TestUnitReady(), c.restarts ? OUTCOME_RESET : OUTCOME_NO_MEDIUM);
    EXPECT_EQ(clock.Now() - sent, c.restarts ? 3500ms : 0ms);
    EXPECT_EQ(Drive().kernelMode, c.restarts);
    EXPECT_EQ(InquiryRevision(), c.restarts ? "0000" : "1.28");
  }
}

TEST_F(DownloadTest, BlankVariantDriveTakesTheFirmwareWithoutModeFour) {
  Start(OneDriveScenario(R"("id_block": {"variant": ""})"));
  ASSERT_EQ(SendPart(NORMAL_BUFFER, NormalImage()), OUTCOME_OK);
  ASSERT_EQ(WriteSignature(5), OUTCOME_OK);
  clock.Sleep(4000ms);
  EXPECT_EQ(InquiryRevision(), "1.30");
}

TEST_F(DownloadTest, DriveWithAVariantRefusesFirmwareOutsideDownloadMode) {
  Start(OneDriveScenario());
  EXPECT_EQ(SendChunks(NORMAL_BUFFER, NormalImage(), 0, 1), OUTCOME_ERROR);
  EXPECT_EQ(FormatSenseText(), "05-2c-00");
  EXPECT_EQ(SendChunks(KERNEL_BUFFER, KernelImage(), 0, 1), OUTCOME_ERROR);
  EXPECT_EQ(FormatSenseText(), "05-2c-00");
  EXPECT_FALSE(Drive().downloadMode);
}

TEST_F(DownloadTest, RerunOnADriveLeftInKernelMode) {
  Start(OneDriveScenario(R"("inquiry": {"revision": "0000"}, "kernel_marker": true,
                            "kernel_required": true)"));
  EXPECT_EQ(InquiryRevision(), "0000");
  EXPECT_EQ(ProbeKernelMarker(), 1);
  ASSERT_EQ(WriteSignature(4), OUTCOME_OK);
  ASSERT_EQ(SendPart(KERNEL_BUFFER, KernelImage()), OUTCOME_OK);
  clock.Sleep(4000ms);
  EXPECT_EQ(TestUnitReady(), OUTCOME_RESET);
  ASSERT_EQ(SendPart(NORMAL_BUFFER, NormalImage()), OUTCOME_OK);
  ASSERT_EQ(WriteSignature(5), OUTCOME_OK);
  clock.Sleep(4000ms);
  EXPECT_EQ(InquiryRevision(), "1.30");
  EXPECT_EQ(ProbeKernelMarker(), 0);
}

TEST_F(DownloadTest, KernelModeTakesFirmwareWithoutModeFour) {
  Start(OneDriveScenario(R"("inquiry": {"revision": "0000"}, "kernel_marker": true)"));
  ASSERT_EQ(SendPart(NORMAL_BUFFER, NormalImage()), OUTCOME_OK);
  ASSERT_EQ(WriteSignature(5), OUTCOME_OK);
  clock.Sleep(4000ms);
  EXPECT_EQ(InquiryRevision(), "1.30");
}

TEST_F(DownloadTest, WrongSignatureIsRefusedAndChangesNothing) {
  Start(OneDriveScenario());
  std::memcpy(g_writeBuffer, "KORVANE QTX-M483", 16);
  EXPECT_EQ(WriteBuffer(4, 0xFF, 0, 256, 256), OUTCOME_ERROR);
  EXPECT_EQ(FormatSenseText(), "05-26-00");
  EXPECT_FALSE(Drive().downloadMode);

  ASSERT_EQ(WriteSignature(4), OUTCOME_OK);
  ASSERT_EQ(SendPart(NORMAL_BUFFER, NormalImage()), OUTCOME_OK);
  std::memcpy(g_writeBuffer, "korvane qtx-m482", 16);
  EXPECT_EQ(WriteBuffer(5, 0xFF, 0, 256, 256), OUTCOME_ERROR);
  EXPECT_EQ(FormatSenseText(), "05-26-00");
  EXPECT_EQ(TestUnitReady(), OUTCOME_NO_MEDIUM) << "no restart";
  EXPECT_TRUE(Drive().downloadMode);

  ASSERT_EQ(WriteSignature(5), OUTCOME_OK) << "the download survived the refused closing";
  clock.Sleep(4000ms);
  EXPECT_EQ(InquiryRevision(), "1.30");
}

TEST_F(DownloadTest, CommandsWithBadFieldsAreRefused) {
  Start(OneDriveScenario());
  ASSERT_EQ(WriteSignature(4), OUTCOME_OK);
  std::memcpy(g_writeBuffer, "KORVANE QTX-M482", 16);
  const std::vector<std::pair<const char*, std::function<DriveOutcome()>>> cases = {
      {"normal chunk off its boundary", [] { return WriteBuffer(7, 0xF0, 0x4000, CHUNK, CHUNK); }},
      {"normal chunk past 1 MiB", [] { return WriteBuffer(7, 0xF0, 0x100000, CHUNK, CHUNK); }},
      {"kernel chunk past 64 KiB", [] { return WriteBuffer(7, 0xFE, 0x10000, CHUNK, CHUNK); }},
      {"half a chunk", [] { return WriteBuffer(7, 0xF0, 0, 0x4000, 0x4000); }},
      {"unknown download buffer", [] { return WriteBuffer(7, 0xF1, 0, CHUNK, CHUNK); }},
      {"unknown write mode", [] { return WriteBuffer(6, 0xFF, 0, 256, 256); }},
      {"short signature transfer", [] { return WriteBuffer(4, 0xFF, 0, 128, 128); }},
      {"signature to another buffer", [] { return WriteBuffer(5, 0xFE, 0, 256, 256); }},
      {"identification block past its end", [] { return ReadBuffer(2, 0xF1, 0, 64, 64); }},
      {"read mode other than data", [] { return ReadBuffer(3, 0xF1, 0, 48, 48); }},
      {"unknown read buffer", [] { return ReadBuffer(2, 0xB1, 0, 16, 16); }},
  };
  for (const auto& [name, command] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(command(), OUTCOME_ERROR);
    EXPECT_EQ(FormatSenseText(), "05-24-00");
  }
  EXPECT_TRUE(Drive().downloadMode);
  EXPECT_EQ(TestUnitReady(), OUTCOME_NO_MEDIUM) << "nothing restarted the drive";
}

TEST_F(DownloadTest, DiscStateDecidesTestUnitReady) {
  const std::vector<std::pair<const char*, DriveOutcome>> cases = {
      {"none", OUTCOME_NO_MEDIUM},
      {"loaded", OUTCOME_OK},
      {"becoming_ready", OUTCOME_BECOMING_READY},
      {"init_required", OUTCOME_INIT_REQUIRED},
  };
  for (const auto& [disc, outcome] : cases) {
    SCOPED_TRACE(disc);
    Start(OneDriveScenario(std::string(R"("disc": ")") + disc + "\""));
    EXPECT_EQ(TestUnitReady(), outcome);
  }
}

}  // namespace
}  // namespace drvflash::sim::testing
