// Firmware paths that are not plain readable files, or stop being so during an update: each
// ends with a message and not one chunk reaches the drive.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>

#include "hardening_fixture.h"
#include "scripted_file_dialog.h"

namespace drvflash::testing {
namespace {

namespace fs = std::filesystem;

enum class Swap { Directory, Fifo, SymlinkLoop, Unreadable, CutToHeader, CutMidImage };

const char* SwapName(Swap swap) {
  switch (swap) {
    case Swap::Directory:
      return "a directory";
    case Swap::Fifo:
      return "a FIFO";
    case Swap::SymlinkLoop:
      return "a symbolic link loop";
    case Swap::Unreadable:
      return "a file without read permission";
    case Swap::CutToHeader:
      return "cut to 100 bytes";
    case Swap::CutMidImage:
      return "cut within a chunk";
  }
  return "";
}

// A part cut within a chunk keeps this many whole chunks.
std::uintmax_t WholeChunksLeft(bool kernelPart) {
  return kernelPart ? 1 : 3;
}

// Turns the firmware file at `path` into something that cannot give a whole image.
void Replace(const fs::path& path, Swap swap, bool kernelPart) {
  switch (swap) {
    case Swap::Directory:
      fs::remove(path);
      fs::create_directory(path);
      break;
    case Swap::Fifo:
      fs::remove(path);
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
      break;
    case Swap::SymlinkLoop:
      fs::remove(path);
      fs::create_symlink(path.filename(), path);
      break;
    case Swap::Unreadable:
      fs::permissions(path, fs::perms::owner_write);
      break;
    case Swap::CutToHeader:
      fs::resize_file(path, 100);
      break;
    case Swap::CutMidImage:
      fs::resize_file(path, WholeChunksLeft(kernelPart) * 0x8000 + 100);
      break;
  }
}

// When the file turns bad: before Start, during the pause before the check, or during the
// pause after the mode switch (after the check, before the first chunk).
enum class Moment { BeforeStart, BeforeCheck, AfterCheck };

class FirmwarePathTest : public HardeningTest {
 protected:
  void SetUp() override {
    HardeningTest::SetUp();
    SetActiveFileDialogPresenter(&fileDialog);
  }
  void TearDown() override {
    SetActiveFileDialogPresenter(nullptr);
    HardeningTest::TearDown();
  }

  // What the last run left (writing into a FIFO left there would wait for ever).
  void ClearFolder() {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      fs::remove_all(entry.path());
    }
  }

  // The update of a drive on `revision` with the normal part (or the kernel part) going bad
  // at `moment`; checks that it said why and sent no chunk.
  void RunWithBadFile(Swap swap, Moment moment, bool kernelPart) {
    SCOPED_TRACE(std::string(SwapName(swap)) + (kernelPart ? ", kernel part" : ", normal part") +
                 (moment == Moment::BeforeStart   ? ", before Start"
                  : moment == Moment::BeforeCheck ? ", before the check"
                                                  : ", after the check"));
    Reset();
    ClearFolder();
    StartDrive(DriveFields(kernelPart ? "1.28" : "1.29"));
    WriteFirmware();
    Open();
    const fs::path bad = kernelPart ? written.kernelPart : written.normalPart;
    if (moment == Moment::BeforeStart) {
      Replace(bad, swap, kernelPart);
      ClickStart();
      EXPECT_EQ(RunningWorkers(), 0);
      EXPECT_TRUE(presenter.boxes.empty());
      EXPECT_EQ(PaneText(), DisplayText("\r\n File open error : " + NormalPath()));
      EXPECT_TRUE(Commands().empty());
    } else {
      clock.Schedule(moment == Moment::BeforeCheck ? 1000ms : 4000ms,
                     [bad, swap, kernelPart] { Replace(bad, swap, kernelPart); });
      RunUpdateServed();
      ExpectSoundEnd();
      ASSERT_EQ(presenter.boxes.size(), 1u);
      const bool cut = swap == Swap::CutToHeader || swap == Swap::CutMidImage;
      EXPECT_EQ(
          presenter.boxes[0].text,
          "File " + bad.string() + (cut ? " is not a complete firmware image" : " open failure"));
      EXPECT_EQ(presenter.boxes[0].caption, "Error");
      // The open failure is a box alone; the cut file is logged too.
      if (cut) {
        EXPECT_TRUE(PaneText().endsWith(DisplayText(presenter.boxes[0].text)))
            << PaneText().toStdString();
      }
      // Cut after the check, the whole chunks before the cut still go out; nothing else does.
      const std::uintmax_t chunksBeforeCut =
          moment == Moment::AfterCheck && swap == Swap::CutMidImage ? WholeChunksLeft(kernelPart)
                                                                    : 0;
      EXPECT_EQ(SentDigests("f0").size() + SentDigests("fe").size(), chunksBeforeCut);
      EXPECT_NE(Drive().revision, "1.30");
    }
  }

  ScriptedFileDialog fileDialog;
};

TEST_F(FirmwarePathTest, AFileThatIsNotAPlainReadableFileStopsTheUpdateBeforeAnyChunk) {
  for (const Swap swap : {Swap::Directory, Swap::Fifo, Swap::SymlinkLoop}) {
    for (const Moment moment : {Moment::BeforeStart, Moment::BeforeCheck, Moment::AfterCheck}) {
      RunWithBadFile(swap, moment, false);
    }
    for (const Moment moment : {Moment::BeforeCheck, Moment::AfterCheck}) {
      RunWithBadFile(swap, moment, true);
    }
  }
}

TEST_F(FirmwarePathTest, AFileCutShortIsNotSentWhole) {
  for (const Swap swap : {Swap::CutToHeader, Swap::CutMidImage}) {
    for (const Moment moment : {Moment::BeforeCheck, Moment::AfterCheck}) {
      RunWithBadFile(swap, moment, false);
      RunWithBadFile(swap, moment, true);
    }
  }
}

// Root reads any file: as root, the test runs again in a child that gave up root.
TEST_F(FirmwarePathTest, AFileWithoutReadPermission) {
  if (::geteuid() != 0) {
    for (const Moment moment : {Moment::BeforeStart, Moment::BeforeCheck, Moment::AfterCheck}) {
      RunWithBadFile(Swap::Unreadable, moment, false);
    }
    RunWithBadFile(Swap::Unreadable, Moment::AfterCheck, true);
    return;
  }
  const std::string filter =
      std::string("--gtest_filter=") +
      ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "." +
      ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const bool dropped =
        ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
    if (dropped) {
      ::execl("/proc/self/exe", "/proc/self/exe", filter.c_str(), static_cast<char*>(nullptr));
    }
    ::_exit(100);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "100: could not give up root or run again";
}

TEST_F(FirmwarePathTest, NamesThatAreNotValidUtf8) {
  // A folder whose name is not UTF-8; the files chosen through the dialog.
  const fs::path other = folder / "fw-\xff\xfe-\xc3";
  fs::create_directories(other);
  for (const std::string revision : {"1.29", "1.28"}) {
    SCOPED_TRACE(revision);
    StartDrive(DriveFields(revision));
    written = tools::WriteSampleFirmware(firmware, other);
    ASSERT_TRUE(written.error.empty()) << written.error;
    Open();
    fileDialog.answer = NormalPath();
    QTest::mouseClick(FindControl<QAbstractButton>(*window, 1001), Qt::LeftButton);
    EXPECT_EQ(FindControl<QLabel>(*window, 1012)->text(), "1.30");
    RunUpdateServed();
    ExpectSoundEnd();
    EXPECT_TRUE(Succeeded()) << ::testing::PrintToString(BoxTexts());
    EXPECT_EQ(Drive().revision, "1.30");
    Reset();
  }
  // The same file, gone bad after the check: the message carries the name as it is.
  StartDrive(DriveFields("1.29"));
  written = tools::WriteSampleFirmware(firmware, other);
  Open();
  fileDialog.answer = NormalPath();
  QTest::mouseClick(FindControl<QAbstractButton>(*window, 1001), Qt::LeftButton);
  clock.Schedule(4000ms, [this] { Replace(written.normalPart, Swap::Directory, false); });
  RunUpdateServed();
  ExpectSoundEnd();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"File " + NormalPath() + " open failure"});
  EXPECT_TRUE(SentDigests("f0").empty());
}

TEST_F(FirmwarePathTest, FilesWhoseOwnNamesAreNotValidUtf8AreFoundAndWritten) {
  // "T58\xffX1Y\xfe.130" and its kernel part "T58\xffX0Y\xfe.130": each stray byte counts as one
  // character, both for the pattern and for the character that names the kernel part.
  const auto writeStrayNamedFirmware = [this] {
    WriteFirmware();
    const fs::path normal = folder / "T58\xffX1Y\xfe.130";
    const fs::path kernel = folder / "T58\xffX0Y\xfe.130";
    fs::rename(written.normalPart, normal);
    fs::rename(written.kernelPart, kernel);
    written.normalPart = normal;
    written.kernelPart = kernel;
  };
  for (const std::string revision : {"1.29", "1.28"}) {
    SCOPED_TRACE(revision);
    Reset();
    ClearFolder();
    StartDrive(DriveFields(revision));
    writeStrayNamedFirmware();
    Open();
    EXPECT_EQ(FindControl<QLabel>(*window, 1012)->text(), "1.30");
    RunUpdateServed();
    ExpectSoundEnd();
    EXPECT_TRUE(Succeeded()) << ::testing::PrintToString(BoxTexts());
    EXPECT_EQ(Drive().revision, "1.30");
    EXPECT_EQ(SentDigests("fe").size(), revision == "1.28" ? 2u : 0u);
  }
  // The kernel part missing: its name, stray bytes and all, is in the message.
  Reset();
  ClearFolder();
  StartDrive(DriveFields("1.28"));
  writeStrayNamedFirmware();
  fs::remove(written.kernelPart);
  Open();
  RunUpdateServed();
  ExpectSoundEnd();
  EXPECT_EQ(BoxTexts(),
            std::vector<std::string>{"File " + written.kernelPart.string() + " open failure"});
  EXPECT_TRUE(SentDigests("f0").empty());
  EXPECT_TRUE(SentDigests("fe").empty());
}

}  // namespace
}  // namespace drvflash::testing
