#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "scripted_file_dialog.h"
#include "ui/qt_file_dialog_presenter.h"
#include "update/worker_request.h"
#include "window_fixture.h"

namespace drvflash {
namespace {

namespace fs = std::filesystem;

// Each test runs in a fresh current directory of its own.
class FirmwareChoiceTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    previous_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("drvflash-choice-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    fs::current_path(dir_);
    SetActiveFileDialogPresenter(&fileDialog);
    toThread.n_filename = "previous";
  }
  void TearDown() override {
    WindowTest::TearDown();
    SetActiveFileDialogPresenter(nullptr);
    fs::current_path(previous_);
    fs::remove_all(dir_);
    toThread.n_filename.clear();
  }

  void Touch(const std::string& name) { std::ofstream(dir_ / name) << "firmware"; }
  std::string Path(const std::string& name) { return (dir_ / name).string(); }
  QString FileBox() { return FindControl<QLineEdit>(*window, 1003)->text(); }
  QString FileVersion() { return FindControl<QLabel>(*window, 1012)->text(); }
  void ClickOpen() { QTest::mouseClick(FindControl<QPushButton>(*window, 1001), Qt::LeftButton); }

  ScriptedFileDialog fileDialog;
  fs::path dir_;
  fs::path previous_;
};

TEST_F(FirmwareChoiceTest, StartUpProposesTheNewestFileWhateverItsLetterCase) {
  Touch("T58AA1BB.125");
  Touch("t58cc1dd.128");
  Touch("T58EE0FF.130");  // a kernel-part file is never proposed
  Touch("T58XX1YY.txt");
  OpenWindow(Language::English);
  EXPECT_EQ(FileBox().toStdString(), Path("t58cc1dd.128"));
  EXPECT_EQ(FileVersion(), "1.28");
  EXPECT_EQ(window->FirmwareFileText(), Path("t58cc1dd.128"));
}

TEST_F(FirmwareChoiceTest, EqualNumbersGoToTheNameTheDirectoryYieldsLater) {
  Touch("T58AA1BB.128");
  Touch("T58CC1DD.128");
  std::string later;
  for (const auto& entry : fs::directory_iterator(dir_))
    later = entry.path().filename();
  OpenWindow(Language::English);
  EXPECT_EQ(FileBox().toStdString(), Path(later));
}

TEST_F(FirmwareChoiceTest, LongNameTakesItsLabelFromCharacterTen) {
  Touch("T58AB1CD_NEW.128");
  OpenWindow(Language::English);
  EXPECT_EQ(FileVersion(), ".128");
}

TEST_F(FirmwareChoiceTest, NoMatchPromptsInTheResourceLanguageAndOnlyZeroesProposeNothing) {
  OpenWindow(Language::Japanese);
  EXPECT_EQ(FileBox(), QStringLiteral("ファームウェアファイルを選択してください"));
  EXPECT_EQ(FileVersion(), "???");

  Touch("T58AA1BB.000");
  Touch("T58CC1DD.abc");
  OpenWindow(Language::English);
  EXPECT_EQ(FileBox(), "") << "matches that all give 0: no proposal and no prompt";
  EXPECT_EQ(FileVersion(), "???");
}

TEST_F(FirmwareChoiceTest, OpenButtonWithAFileThatOpensShowsItsPathAndVersion) {
  Touch("T58AB1CD_NEW.129");
  OpenWindow(Language::English);
  fileDialog.answer = Path("T58AB1CD_NEW.129");
  ClickOpen();
  EXPECT_EQ(fileDialog.shown, 1);
  EXPECT_EQ(FileBox().toStdString(), Path("T58AB1CD_NEW.129"));
  EXPECT_EQ(FileVersion(), "1.29");
  EXPECT_EQ(toThread.n_filename, Path("T58AB1CD_NEW.129"));
  EXPECT_TRUE(presenter.boxes.empty());
}

TEST_F(FirmwareChoiceTest, OpenButtonCancelledChangesNothing) {
  Touch("T58AA1BB.125");
  OpenWindow(Language::English);
  ClickOpen();
  EXPECT_EQ(FileBox().toStdString(), Path("T58AA1BB.125"));
  EXPECT_EQ(FileVersion(), "1.25");
  EXPECT_EQ(toThread.n_filename, "previous");
}

TEST_F(FirmwareChoiceTest, OpenButtonWithAFileThatCannotBeOpenedSaysSoInBothLanguages) {
  fs::create_directory(dir_ / "T58AB1CD.dir");
  Touch("T58AA1BB.125");
  struct Case {
    std::string path;
    int codePage;
    std::string box, caption, line;
  };
  const std::string dirPath = Path("T58AB1CD.dir");
  const Case cases[] = {
      {dirPath, 437, "File T58AB1CD.dir open failure", "Error",
       "\r\n File T58AB1CD.dir open failure"},
      {dirPath, 932, "ファームウェアファイル：T58AB1CD.dirを開くことができませんでした．",
       "ファイルオープンエラー",
       "\r\n ファームウェアファイル : T58AB1CD.dir を開くことができませんでした"},
      {"gone/x.128", 437, "File gone/x.128 open failure", "Error",
       "\r\n File gone/x.128 open failure"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    OpenWindow(Language::English);
    g_codePage = c.codePage;
    presenter.boxes.clear();
    fileDialog.answer = c.path;
    ClickOpen();
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes[0].text, c.box);
    EXPECT_EQ(presenter.boxes[0].caption, c.caption);
    EXPECT_EQ(presenter.boxes[0].buttons, BoxButtons::Ok);
    EXPECT_EQ(LogPane().toPlainText(), QString::fromStdString(c.line).replace("\r\n", "\n"));
    EXPECT_EQ(g_logText.find("open failure"), std::string::npos) << "the line is not logged";
    EXPECT_EQ(FileBox().toStdString(), Path("T58AA1BB.125"));
    EXPECT_EQ(FileVersion(), "1.25");
    EXPECT_EQ(toThread.n_filename, c.path) << "the chosen path is kept even when it failed";
  }
}

TEST_F(FirmwareChoiceTest, OpenButtonRefusesAFileLockedByAnotherProcess) {
  Touch("T58AB1CD.128");
  int ready[2];
  int release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int fd = ::open(Path("T58AB1CD.128").c_str(), O_RDONLY);
    const char ok = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
    (void)!::write(ready[1], &ok, 1);
    char done;
    (void)!::read(release[0], &done, 1);
    ::_exit(0);
  }
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'y');

  OpenWindow(Language::English);
  fileDialog.answer = Path("T58AB1CD.128");
  ClickOpen();
  EXPECT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(FileVersion(), "1.28") << "the proposal at start-up stays";

  (void)!::write(release[1], "x", 1);
  ::waitpid(child, nullptr, 0);
  presenter.boxes.clear();
  ClickOpen();
  EXPECT_TRUE(presenter.boxes.empty()) << "opens once the other process let go";
}

TEST_F(FirmwareChoiceTest, RealDialogStartsInTheCurrentDirectoryAndFiltersWithoutRegardToCase) {
  Touch("T58AB1CD.128");
  Touch("t58ab1cd.129");
  Touch("T58AB128");  // proposed at start-up too: "*.*" matches a name without a point
  Touch("T58AB0CD.128");
  Touch("readme.txt");
  OpenWindow(Language::English);
  std::unique_ptr<QFileDialog> dialog(QtFileDialogPresenter::CreateDialog(*window));
  EXPECT_EQ(dialog->nameFilters(), QStringList{"firmware file(t58??1*.*)"});
  EXPECT_EQ(dialog->directory().absolutePath().toStdString(), dir_.string());
  dialog->show();
  auto* view = dialog->findChild<QListView*>("listView");
  ASSERT_NE(view, nullptr);
  QStringList shown;
  EXPECT_TRUE(QTest::qWaitFor([&] {
    shown.clear();
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row) {
      shown << view->model()->index(row, 0, root).data().toString();
    }
    return shown.size() >= 3;
  }));
  shown.sort();
  EXPECT_EQ(shown, (QStringList{"T58AB128", "T58AB1CD.128", "t58ab1cd.129"}));
}

}  // namespace
}  // namespace drvflash
