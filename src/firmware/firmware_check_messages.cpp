#include "firmware/firmware_check_messages.h"

#include "messages/built_in_text.h"
#include "platform/utf8_text.h"

namespace {

std::string Join(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (const std::string_view piece : pieces) {
    text.append(piece);
  }
  return text;
}

CheckMessage Choose(const CheckMessage& english, const CheckMessage& japanese) {
  return {std::string(BuiltInText(english.text, japanese.text)),
          std::string(BuiltInText(english.caption, japanese.caption)),
          std::string(BuiltInText(english.logText, japanese.logText))};
}

}  // namespace

CheckMessage DriveIdReadFailureMessage(std::string_view senseText) {
  const std::string english = Join({"Reading drive information failure (asc ", senseText, ")"});
  const std::string japanese =
      "ドライブの情報を読み取ることができませんでした．\r\n"
      "コンピュータの電源を切り，接続を確認してください．";
  return Choose({english, "Error", "\r\n " + english},
                {japanese, "不明なエラー", "\r\n " + japanese});
}

CheckMessage FileOpenErrorMessage(std::string_view path) {
  return Choose({Join({"File ", path, " open failure"}), "Error", ""},
                {Join({"ファームウェアファイル：", path, "を\r\n開くことができませんでした．"}),
                 "ファイルオープンエラー", ""});
}

CheckMessage IncompleteImageMessage(std::string_view path) {
  const std::string english = Join({"File ", path, " is not a complete firmware image"});
  const std::string japanese =
      Join({"ファームウェアファイル：", path, "は，完全なファームウェアイメージではありません．"});
  return Choose({english, "Error", "\r\n " + english},
                {japanese, "ファイルエラー", "\r\n " + japanese});
}

CheckMessage ImproperFirmwareMessage(std::string_view chosenPath, std::string_view editionName) {
  const std::string english =
      Join({"Improper firmware file. \r\nPlease use firmware data for ", editionName});
  const std::string useFileFor =
      Join({editionName, "ドライブ用のファームウェアファイルをご使用下さい."});
  return Choose({english, "Update stopped", "\r\n " + english},
                {Join({"ファームウェアファイル", drvflash::Utf8LastCharacters(chosenPath, 12),
                       "を書き込むことはできません．\r", useFileFor}),
                 "モデル名不一致", "\r\n " + useFileFor});
}
