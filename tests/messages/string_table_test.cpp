#include <gtest/gtest.h>

#include <QString>
#include <set>
#include <string>
#include <utility>

#include "messages/string_table.h"

namespace {

constexpr Language kLanguages[] = {Language::English, Language::Japanese};

bool IsAssigned(unsigned id) {
  return (id >= 101 && id <= 131) || (id >= 135 && id <= 138);
}

std::string Entry(unsigned id, Language language) {
  return std::string(StringTableEntry(id, language));
}

TEST(StringTable, HoldsExactlyTheAssignedIdsInBothLanguages) {
  for (const Language language : kLanguages) {
    for (unsigned id = 95; id <= 145; ++id) {
      const std::string text = Entry(id, language);
      EXPECT_EQ(!text.empty(), IsAssigned(id)) << "id " << id;
      EXPECT_EQ(QString::fromUtf8(text).toUtf8().toStdString(), text)
          << "id " << id << " is not valid UTF-8";
    }
  }
  for (const unsigned id : {101u, 108u, 113u, 126u, 137u}) {
    EXPECT_NE(Entry(id, Language::English), Entry(id, Language::Japanese)) << "id " << id;
  }
}

// Log texts start below what the log holds; box texts, captions, the first line of the
// attention text and the pieces that continue a line do not.
TEST(StringTable, OnlyLogPiecesBeginWithALineBreak) {
  const std::set<unsigned> logPieces = {103, 104, 105, 106, 111, 114, 115, 119, 122,
                                        125, 126, 129, 130, 131, 135, 136, 138};
  for (const Language language : kLanguages) {
    for (unsigned id = 101; id <= 138; ++id) {
      if (!IsAssigned(id)) {
        continue;
      }
      EXPECT_EQ(Entry(id, language).starts_with("\r\n"), logPieces.contains(id)) << "id " << id;
    }
  }
}

TEST(StringTable, EachFailureLogLineIsItsBoxTextOnANewLine) {
  const std::pair<unsigned, unsigned> boxAndLogLine[] = {{109, 111}, {112, 114}, {117, 119},
                                                         {120, 122}, {123, 125}, {127, 129}};
  for (const Language language : kLanguages) {
    for (const auto& [box, logLine] : boxAndLogLine) {
      EXPECT_EQ(Entry(logLine, language), "\r\n" + Entry(box, language)) << "id " << logLine;
    }
  }
}

TEST(StringTable, AttentionHeadingIsCentredByBlanks) {
  EXPECT_EQ(Entry(102, Language::English), std::string(24, ' ') + "[ATTENTION]");
  EXPECT_EQ(Entry(102, Language::Japanese), std::string(36, ' ') + "【ご使用の前に】");
}

TEST(StringTable, PiecesThatShareALineJoinUp) {
  EXPECT_EQ(Entry(115, Language::English) + Entry(116, Language::English),
            "\r\nPreparing for update firmware -> done");
  EXPECT_EQ(Entry(115, Language::Japanese) + Entry(116, Language::Japanese),
            "\r\nファームウェアを書き換える準備をしています -> 完了");
  EXPECT_EQ(Entry(135, Language::English) + Entry(136, Language::English) + "1.30" +
                Entry(137, Language::English) + Entry(138, Language::English),
            "\r\n\r\nUpdate firmware is complete.\r\n\r\nNew firmware version is 1.30."
            "\r\n\r\nPlease reboot computer.");
  EXPECT_EQ(Entry(136, Language::Japanese) + "1.30" + Entry(137, Language::Japanese),
            "\r\n\r\n書き換え後のファームウェアバージョンは，1.30です．");
}

}  // namespace
