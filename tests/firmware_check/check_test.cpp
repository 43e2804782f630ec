#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QPlainTextEdit>

#include "check_fixture.h"
#include "ui/control_id.h"
#include "ui/display_text.h"

namespace drvflash::testing {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t NORMAL = tools::NORMAL_PART_SIZE;
constexpr std::size_t KERNEL = tools::KERNEL_PART_SIZE;

// Scenario members of the drive: INQUIRY revision, identification block and kernel marker.
std::string DriveFields(const std::string& revision, const std::string& vendor = "ZEPHRA  ",
                        const std::string& variant = "STD     ", bool kernelMarker = false) {
  const nlohmann::json fields = {
      {"inquiry", {{"revision", revision}}},
      {"id_block", {{"hardware", "HW-REV01"}, {"vendor", vendor}, {"variant", variant}}},
      {"kernel_marker", kernelMarker}};
  const std::string object = fields.dump();
  return object.substr(1, object.size() - 2);
}

// "{normal}" and "{kernel}" in `text` become the paths of the files written.
std::string WithPaths(std::string text, const std::filesystem::path& normal,
                      const std::filesystem::path& kernel) {
  for (const auto& [mark, path] : {std::pair{std::string("{normal}"), normal.string()},
                                   std::pair{std::string("{kernel}"), kernel.string()}}) {
    for (std::size_t at; (at = text.find(mark)) != std::string::npos;) {
      text.replace(at, mark.size(), path);
    }
  }
  return text;
}

const std::string RB_ID = "READ BUFFER f1";
const std::string RB_MARKER = "READ BUFFER b0";
const std::string INQ = "INQUIRY";
const std::string M3 = "Down grade to ver. 1.28 is not allowed";
const std::string M4 = "Improper Hardware Version";
std::string M5(const std::string& name) {
  return "Improper firmware file. \r\nPlease use firmware data for " + name;
}
std::string Incomplete(const std::string& path) {
  return "File " + path + " is not a complete firmware image";
}

struct Decision {
  const char* name;
  std::string drive;
  std::string faults;
  std::optional<ImagePlan> normal;
  std::optional<ImagePlan> kernel;
  int result;
  int kernelUpdate;
  std::vector<std::string> commands;  // what the drive received: never a WRITE BUFFER
  std::vector<std::string> boxes;     // only the first failure is shown
  std::string log;                    // appended to the progress log
};

TEST_F(CheckTest, EditionsKernelPartAndHeaderComparisonsDecideInTheirOrder) {
  const tools::FirmwareIdentity fitting = Identity("1.30");
  const Decision decisions[] = {
      {"maker's edition: no downgrade rule, no INQUIRY, no kernel part",
       DriveFields("1.28", "ROZUVAZ "),
       "[]",
       NormalPart(Identity("1.28", "HW-REV01", "ROZUVAZ ")),
       std::nullopt,
       CHECK_PASSED,
       0,
       {RB_ID},
       {},
       ""},
      {"OEM edition refuses 1.28 whatever its revision, before INQUIRY",
       DriveFields("1.28", "MORIC   "),
       "[]",
       NormalPart(Identity("1.28", "HW-REV01", "MORIC   ")),
       KernelPart(Identity("1.28", "HW-REV01", "MORIC   ")),
       CHECK_STOPPED,
       0,
       {RB_ID},
       {M3},
       ""},
      {"OEM revision 1.28 needs the kernel part",
       DriveFields("1.28"),
       "[]",
       NormalPart(fitting),
       KernelPart(fitting),
       CHECK_PASSED,
       1,
       {RB_ID, INQ},
       {},
       ""},
      {"OEM revision 1.28 without its kernel-part file",
       DriveFields("1.28"),
       "[]",
       NormalPart(fitting),
       std::nullopt,
       CHECK_STOPPED,
       1,
       {RB_ID, INQ},
       {"File {kernel} open failure"},
       ""},
      {"revision 0000: the marker asks for the kernel part",
       DriveFields("0000", "ZEPHRA  ", "STD     ", true),
       "[]",
       NormalPart(fitting),
       KernelPart(fitting),
       CHECK_PASSED,
       1,
       {RB_ID, INQ, RB_MARKER},
       {},
       ""},
      {"revision 0000, marker clear: the kernel-part file is not opened",
       DriveFields("0000"),
       "[]",
       NormalPart(fitting),
       std::nullopt,
       CHECK_PASSED,
       0,
       {RB_ID, INQ, RB_MARKER},
       {},
       ""},
      {"another revision: no kernel part",
       DriveFields("1.27"),
       "[]",
       NormalPart(fitting),
       std::nullopt,
       CHECK_PASSED,
       0,
       {RB_ID, INQ},
       {},
       ""},
      {"a failed INQUIRY reads as no revision",
       DriveFields("1.28"),
       R"([{"command": "inquiry", "result": {"sense": "04-44-00"}}])",
       NormalPart(fitting),
       std::nullopt,
       CHECK_PASSED,
       0,
       {RB_ID, INQ},
       {},
       ""},
      {"hardware is compared before vendor",
       DriveFields("1.30"),
       "[]",
       NormalPart(Identity("1.30", "HW-REV02", "MORIC   ")),
       std::nullopt,
       CHECK_STOPPED,
       0,
       {RB_ID, INQ},
       {M4},
       ""},
      {"vendor differs",
       DriveFields("1.30"),
       "[]",
       NormalPart(Identity("1.30", "HW-REV01", "MORIC   ")),
       std::nullopt,
       CHECK_STOPPED,
       0,
       {RB_ID, INQ},
       {M5("ZEPHRA  ")},
       "\r\n " + M5("ZEPHRA  ")},
      {"variant differs",
       DriveFields("1.30"),
       "[]",
       NormalPart(Identity("1.30", "HW-REV01", "ZEPHRA  ", "OEMX    ")),
       std::nullopt,
       CHECK_STOPPED,
       0,
       {RB_ID, INQ},
       {M5("STD     ")},
       "\r\n " + M5("STD     ")},
      {"a drive variant starting with a space is blank: not compared",
       DriveFields("1.30", "ZEPHRA  ", " ALT"),
       "[]",
       NormalPart(Identity("1.30", "HW-REV01", "ZEPHRA  ", "OTHER   ")),
       std::nullopt,
       CHECK_PASSED_VARIANT_BLANK,
       0,
       {RB_ID, INQ},
       {},
       ""},
      {"kernel part of other hardware",
       DriveFields("1.28"),
       "[]",
       NormalPart(fitting),
       KernelPart(Identity("1.30", "HW-REV09")),
       CHECK_STOPPED,
       1,
       {RB_ID, INQ},
       {M4},
       ""},
      {"kernel part of another vendor",
       DriveFields("1.28"),
       "[]",
       NormalPart(fitting),
       KernelPart(Identity("1.30", "HW-REV01", "MORIC   ")),
       CHECK_STOPPED,
       1,
       {RB_ID, INQ},
       {M5("ZEPHRA  ")},
       "\r\n " + M5("ZEPHRA  ")},
      {"the kernel part's variant is not compared",
       DriveFields("1.28"),
       "[]",
       NormalPart(fitting),
       KernelPart(Identity("1.30", "HW-REV01", "ZEPHRA  ", "OTHER   ")),
       CHECK_PASSED,
       1,
       {RB_ID, INQ},
       {},
       ""},
      {"a short normal part is refused before the edition test",
       DriveFields("1.28"),
       "[]",
       NormalPart(fitting, NORMAL - 1),
       KernelPart(fitting),
       CHECK_STOPPED,
       0,
       {RB_ID},
       {Incomplete("{normal}")},
       "\r\n " + Incomplete("{normal}")},
      {"a normal part shorter than its header",
       DriveFields("1.30"),
       "[]",
       NormalPart(fitting, 200),
       std::nullopt,
       CHECK_STOPPED,
       0,
       {RB_ID},
       {Incomplete("{normal}")},
       "\r\n " + Incomplete("{normal}")},
      {"a short kernel part",
       DriveFields("1.28"),
       "[]",
       NormalPart(fitting),
       KernelPart(fitting, KERNEL - 1),
       CHECK_STOPPED,
       1,
       {RB_ID, INQ},
       {Incomplete("{kernel}")},
       "\r\n " + Incomplete("{kernel}")},
      {"longer files pass: only their images are sent",
       DriveFields("1.28"),
       "[]",
       NormalPart(fitting, NORMAL + 4096),
       KernelPart(fitting, KERNEL + 1),
       CHECK_PASSED,
       1,
       {RB_ID, INQ},
       {},
       ""},
      {"no normal-part file",
       DriveFields("1.30"),
       "[]",
       std::nullopt,
       std::nullopt,
       CHECK_STOPPED,
       0,
       {RB_ID},
       {"File {normal} open failure"},
       ""},
  };
  for (const Decision& decision : decisions) {
    SCOPED_TRACE(decision.name);
    TearDown();
    SetUp();
    StartDrive(decision.drive, decision.faults);
    const std::string path = WriteFirmware(decision.normal, decision.kernel);

    EXPECT_EQ(Check(path), decision.result);
    EXPECT_EQ(g_kernelUpdate, decision.kernelUpdate);
    EXPECT_EQ(Commands(), decision.commands);
    std::vector<std::string> boxes;
    for (const std::string& box : decision.boxes) {
      boxes.push_back(WithPaths(box, normalPath, kernelPath));
    }
    EXPECT_EQ(BoxTexts(), boxes);
    EXPECT_EQ(g_logText, WithPaths(decision.log, normalPath, kernelPath));
    EXPECT_EQ(toThread.firmwareVersion,
              decision.result == CHECK_STOPPED ? "" : decision.normal->identity.firmwareVersion);
  }
}

struct Texts {
  const char* name;
  Language language;
  std::string drive;
  std::string faults;
  std::optional<ImagePlan> normal;
  std::string fileName;  // the normal part's, when not the sample maker's
  PresentedBox box;      // owner and thread filled in by the test
  std::string log;       // g_logText after the check
  std::string pane;      // what the log pane shows
};

TEST_F(CheckTest, EveryFailureShowsItsExactTextsInBothLanguages) {
  const auto en = Language::English;
  const auto ja = Language::Japanese;
  const std::string idBlockFault =
      R"([{"command": "read_buffer", "buffer_id": 241, "result": {"sense": "04-44-00"}}])";
  const std::string m1En = "Reading drive information failure (asc 04-44-00)";
  const std::string m1Ja =
      "ドライブの情報を読み取ることができませんでした．\r\n"
      "コンピュータの電源を切り，接続を確認してください．";
  const std::string downgradeJa = "バージョン1.28へのダウングレードはサポートしておりません．";
  const std::string hardwareJa = "ハードウェアバージョンが一致しませんでした";
  const std::string incompleteJa =
      "ファームウェアファイル：{normal}は，完全なファームウェアイメージではありません．";
  const auto ok = BoxButtons::Ok;
  const Texts texts[] = {
      {"M1",
       en,
       DriveFields("1.30"),
       idBlockFault,
       NormalPart(),
       "",
       {m1En, "Error", ok, nullptr, true},
       "\r\n " + m1En,
       "\r\n " + m1En},
      {"M1",
       ja,
       DriveFields("1.30"),
       idBlockFault,
       NormalPart(),
       "",
       {m1Ja, "不明なエラー", ok, nullptr, true},
       "\r\n " + m1Ja,
       "\r\n " + m1Ja},
      {"M2",
       en,
       DriveFields("1.30"),
       "[]",
       std::nullopt,
       "",
       {"File {normal} open failure", "Error", ok, nullptr, true},
       "",
       ""},
      {"M2",
       ja,
       DriveFields("1.30"),
       "[]",
       std::nullopt,
       "",
       {"ファームウェアファイル：{normal}を\r\n開くことができませんでした．",
        "ファイルオープンエラー", ok, nullptr, true},
       "",
       ""},
      {"M3",
       en,
       DriveFields("1.30"),
       "[]",
       NormalPart(Identity("1.28")),
       "",
       {M3, "Update stopped", ok, nullptr, true},
       "",
       "\r\n" + M3},
      {"M3",
       ja,
       DriveFields("1.30"),
       "[]",
       NormalPart(Identity("1.28")),
       "",
       {downgradeJa, "バージョンチェックエラー", ok, nullptr, true},
       "",
       "\r\n" + downgradeJa},
      {"M4",
       en,
       DriveFields("1.30"),
       "[]",
       NormalPart(Identity("1.30", "HW-REV02")),
       "",
       {M4, "Update stopped", ok, nullptr, true},
       "",
       "\r\n" + M4},
      {"M4",
       ja,
       DriveFields("1.30"),
       "[]",
       NormalPart(Identity("1.30", "HW-REV02")),
       "",
       {hardwareJa, "ハードウェアバージョンエラー", ok, nullptr, true},
       "",
       "\r\n" + hardwareJa},
      // The name ends at a 0 byte of the drive's vendor id.
      {"M5",
       en,
       DriveFields("1.30", std::string("ZEP\0HRA ", 8)),
       "[]",
       NormalPart(),
       "",
       {M5("ZEP"), "Update stopped", ok, nullptr, true},
       "\r\n " + M5("ZEP"),
       "\r\n " + M5("ZEP")},
      // The maker's vendor id is named Korvane; the last 12 characters of the path are
      // characters, not bytes.
      {"M5",
       ja,
       DriveFields("1.30", "ROZUVAZ "),
       "[]",
       NormalPart(),
       "ドライブ用ファームウェア.130",
       {"ファームウェアファイル用ファームウェア.130を書き込むことはできません．\r"
        "Korvaneドライブ用のファームウェアファイルをご使用下さい.",
        "モデル名不一致", ok, nullptr, true},
       "\r\n Korvaneドライブ用のファームウェアファイルをご使用下さい.",
       "\r\n Korvaneドライブ用のファームウェアファイルをご使用下さい."},
      {"incomplete image",
       en,
       DriveFields("1.30"),
       "[]",
       NormalPart({}, NORMAL / 2),
       "",
       {Incomplete("{normal}"), "Error", ok, nullptr, true},
       "\r\n " + Incomplete("{normal}"),
       "\r\n " + Incomplete("{normal}")},
      {"incomplete image",
       ja,
       DriveFields("1.30"),
       "[]",
       NormalPart({}, NORMAL / 2),
       "",
       {incompleteJa, "ファイルエラー", ok, nullptr, true},
       "\r\n " + incompleteJa,
       "\r\n " + incompleteJa},
  };
  for (const Texts& row : texts) {
    SCOPED_TRACE(std::string(row.name) + (row.language == ja ? " Japanese" : " English"));
    TearDown();
    SetUp();
    UseLanguage(row.language);
    StartDrive(row.drive, row.faults);
    std::string path = WriteFirmware(row.normal);
    if (!row.fileName.empty()) {
      std::filesystem::rename(normalPath, folder / row.fileName);
      normalPath = folder / row.fileName;
      path = normalPath.string();
    }

    EXPECT_EQ(Check(path), CHECK_STOPPED);
    PresentedBox expected = row.box;
    expected.text = WithPaths(expected.text, normalPath, kernelPath);
    expected.owner = window.get();
    EXPECT_EQ(presenter.boxes, std::vector<PresentedBox>{expected});
    EXPECT_EQ(g_logText, WithPaths(row.log, normalPath, kernelPath));
    auto* pane = FindControl<QPlainTextEdit>(*window, IDC_LOG_PANE);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->toPlainText(), DisplayText(WithPaths(row.pane, normalPath, kernelPath)));
  }
}

// A directory, a file that another opener holds locked (the lock keeps out only openers that
// lock too), and a path too short to derive a kernel-part name from.
TEST_F(CheckTest, FilesThatCannotBeOpenedAreNamedWhole) {
  StartDrive(DriveFields("1.28"));
  const std::string path = WriteFirmware(NormalPart(), KernelPart());

  EXPECT_EQ(Check(folder.string()), CHECK_STOPPED);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"File " + folder.string() + " open failure"});

  presenter.boxes.clear();
  const int holder = ::open(kernelPath.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(Check(path), CHECK_STOPPED);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"File " + kernelPath.string() + " open failure"});
  ::close(holder);

  // A path too short to name a kernel-part file in is named itself.
  presenter.boxes.clear();
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  std::filesystem::rename(normalPath, folder / "N.130");
  const int result = Check("N.130");
  std::filesystem::current_path(before);
  EXPECT_EQ(result, CHECK_STOPPED);
  EXPECT_EQ(g_kernelUpdate, 1);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"File N.130 open failure"});
  EXPECT_EQ(g_logText, "");
  for (const std::string& command : Commands()) {
    EXPECT_FALSE(command.starts_with("WRITE BUFFER")) << command;
  }
}

// The normal-part file is read again after the drive was asked; a file changed meanwhile is
// judged as it is then.
TEST_F(CheckTest, ANormalPartChangedDuringTheCheckIsJudgedAgain) {
  struct Change {
    const char* name;
    std::function<void(const std::filesystem::path&)> change;
    std::string box;
  };
  const Change changes[] = {
      {"cut short", [](const auto& path) { std::filesystem::resize_file(path, 1000); },
       Incomplete("{normal}")},
      {"replaced by another hardware's",
       [](const auto& path) {
         CheckTest::WriteImage(path, NormalPart(Identity("1.30", "HW-REV02")), 'N');
       },
       M4},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    TearDown();
    SetUp();
    StartDrive(DriveFields("1.27"), R"([{"command": "inquiry", "result": {"delay_ms": 100}}])");
    const std::string path = WriteFirmware(NormalPart());
    clock.Schedule(50ms, [&] { change.change(normalPath); });

    EXPECT_EQ(Check(path), CHECK_STOPPED);
    EXPECT_EQ(Commands(), (std::vector<std::string>{RB_ID, INQ}));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{WithPaths(change.box, normalPath, kernelPath)});
  }
}

}  // namespace
}  // namespace drvflash::testing
