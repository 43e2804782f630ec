#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QScrollBar>
#include <cstdlib>
#include <optional>
#include <string>

#include "window_fixture.h"

namespace drvflash {
namespace {

const std::string kEnglishAttention =
    "                        [ATTENTION]"
    "\r\nDo not turn off/reset computer and drive during update."
    "\r\n\r\nClose all other applications."
    "\r\n\r\nClose all other windows."
    "\r\n\r\nRemove disc from drive.";

const std::string kJapaneseAttention =
    "                                    【ご使用の前に】"
    "\r\n・ファームウェアの書き換え中は電源を切らないで下さい．"
    "\r\n\r\n・他のアプリケーションを全て終了させてください．"
    "\r\n\r\n・全てのWindowを閉じてください．"
    "\r\n\r\n・ファームウェアの書き換えを行う前にディスクを取り出してください．";

// The pane shows CR LF as one line break.
QString Shown(const std::string& text) {
  return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Sets LC_ALL, which decides the code page first, for one test.
class ScopedLcAll {
 public:
  explicit ScopedLcAll(const char* value) {
    if (const char* old = std::getenv("LC_ALL")) {
      saved_ = old;
    }
    setenv("LC_ALL", value, 1);
  }
  ~ScopedLcAll() {
    if (saved_) {
      setenv("LC_ALL", saved_->c_str(), 1);
    } else {
      unsetenv("LC_ALL");
    }
  }
  ScopedLcAll(const ScopedLcAll&) = delete;
  ScopedLcAll& operator=(const ScopedLcAll&) = delete;

 private:
  std::optional<std::string> saved_;
};

using LogPaneTest = WindowTest;

TEST_F(LogPaneTest, StartUpShowsTheAttentionTextInTheResourceLanguageWhateverTheCodePage) {
  struct Case {
    Language resources;
    const char* characterType;
    const std::string& attention;
    int codePage;
  };
  const Case cases[] = {
      {Language::English, "en_US.UTF-8", kEnglishAttention, 437},
      {Language::Japanese, "ja_JP.UTF-8", kJapaneseAttention, 932},
      {Language::Japanese, "C", kJapaneseAttention, 437},
      {Language::English, "ja_JP.UTF-8", kEnglishAttention, 932},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.characterType);
    ScopedLcAll characterType(c.characterType);
    g_logText.clear();
    g_codePage = 0;
    OpenWindow(c.resources);
    EXPECT_EQ(g_logText, c.attention);
    EXPECT_EQ(PaneText(), Shown(c.attention));
    EXPECT_EQ(g_codePage, c.codePage);
  }
  EXPECT_TRUE(presenter.boxes.empty());
}

TEST_F(LogPaneTest, LogPaneIsAReadOnlyUnwrappedTextWithBothScrollBars) {
  OpenWindow(Language::English);
  QPlainTextEdit& pane = LogPane();
  EXPECT_TRUE(pane.isReadOnly());
  EXPECT_EQ(pane.lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(pane.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(pane.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  // Eight lines of attention text, each CR LF one break; the longest line is not wrapped.
  EXPECT_EQ(pane.blockCount(), 8);
  window->AppendLogText("\r\n" + std::string(400, 'x'));
  EXPECT_EQ(pane.blockCount(), 9);
  EXPECT_GT(pane.horizontalScrollBar()->maximum(), 0);
}

TEST_F(LogPaneTest, MessageTripleShowsItsBoxThenOnlyItsLogLineUntilTheNextAppend) {
  OpenWindow(Language::English);
  window->AppendLogText("\r\nPreparing");

  window->ShowMessageAndLogLine(112, 113, 114, BoxButtons::Ok);

  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0],
            (PresentedBox{"Disc is in drive. Please remove disc from drive.", "Update stopped",
                          BoxButtons::Ok, window.get(), true}));
  EXPECT_EQ(PaneText(), "\nDisc is in drive. Please remove disc from drive.");
  EXPECT_EQ(g_logText, kEnglishAttention + "\r\nPreparing");

  window->AppendLogText(" -> stopped");
  EXPECT_EQ(PaneText(), Shown(kEnglishAttention + "\r\nPreparing -> stopped"));
}

TEST_F(LogPaneTest, MessageTripleSpeaksTheResourceLanguage) {
  OpenWindow(Language::Japanese);
  window->ShowMessageAndLogLine(123, 124, 125, BoxButtons::Ok);
  ASSERT_EQ(presenter.boxes.size(), 1u);
  const std::string text =
      "DMA転送エラーのため，ファームウェアを書き換えることができません．\r\n"
      "転送モードをPIOに変更してください．\r\n変更方法は，readmeファイルを参照してください．";
  EXPECT_EQ(presenter.boxes[0].text, text);
  EXPECT_EQ(presenter.boxes[0].caption, "DMA転送エラー");
  EXPECT_EQ(PaneText(), Shown("\r\n" + text));
}

TEST_F(LogPaneTest, ClearLogLeavesThePaneUntilTheNextLogOperation) {
  OpenWindow(Language::English);
  window->ClearLog();
  EXPECT_EQ(g_logText, "");
  EXPECT_EQ(PaneText(), Shown(kEnglishAttention));

  window->AppendLogString(115);
  EXPECT_EQ(PaneText(), "\nPreparing for update firmware -> ");
  window->AppendLogString(116);
  EXPECT_EQ(PaneText(), "\nPreparing for update firmware -> done");
  EXPECT_EQ(g_logText, "\r\nPreparing for update firmware -> done");
}

TEST_F(LogPaneTest, ShowLogLineReplacesThePaneAndAnEmptyAppendBringsTheLogBack) {
  OpenWindow(Language::English);
  window->ShowLogLine("\r\n File open error : /tmp/a.bin");
  EXPECT_EQ(PaneText(), "\n File open error : /tmp/a.bin");
  EXPECT_EQ(g_logText, kEnglishAttention);

  window->AppendLogText("");
  EXPECT_EQ(PaneText(), Shown(kEnglishAttention));
  EXPECT_EQ(g_logText, kEnglishAttention);
}

TEST_F(LogPaneTest, AMissingStringTableEntryAppendsNothingAndShowsAnEmptyBox) {
  OpenWindow(Language::English);
  window->ShowLogLine("line");
  window->AppendLogString(133);
  EXPECT_EQ(g_logText, kEnglishAttention);
  EXPECT_EQ(PaneText(), Shown(kEnglishAttention));

  window->ShowMessageAndLogLine(132, 110, 134, BoxButtons::Ok);
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].text, "");
  EXPECT_EQ(presenter.boxes[0].caption, "Message");
  EXPECT_EQ(PaneText(), "");
}

}  // namespace
}  // namespace drvflash
