#include "firmware/firmware_check_messages.h"

#include "messages/built_in_text.h"
#include "platform/utf8_text.h"

CheckMessage DriveIdReadFailureMessage(std::string_view senseText) {
  const std::string english = JoinText({"Reading drive information failure (asc ", senseText, ")"});
  const std::string japanese =
      "ドライブの情報を読み取ることができませんでした．\r\n"
      "コンピュータの電源を切り，接続を確認してください．";
  return BuiltInText({english, "Error", "\r\n " + english},
                     {japanese, "不明なエラー", "\r\n " + japanese});
}

CheckMessage FileOpenErrorMessage(std::string_view path) {
  return BuiltInText(
      {JoinText({"File ", path, " open failure"}), "Error", ""},
      {JoinText({"ファームウェアファイル：", path, "を\r\n開くことができませんでした．"}),
       "ファイルオープンエラー", ""});
}

CheckMessage IncompleteImageMessage(std::string_view path) {
  const std::string english = JoinText({"File ", path, " is not a complete firmware image"});
  const std::string japanese = JoinText(
      {"ファームウェアファイル：", path, "は，完全なファームウェアイメージではありません．"});
  return BuiltInText({english, "Error", "\r\n " + english},
                     {japanese, "ファイルエラー", "\r\n " + japanese});
}

CheckMessage ImproperFirmwareMessage(std::string_view chosenPath, std::string_view editionName) {
  const std::string english =
      JoinText({"Improper firmware file. \r\nPlease use firmware data for ", editionName});
  const std::string useFileFor =
      JoinText({editionName, "ドライブ用のファームウェアファイルをご使用下さい."});
  return BuiltInText(
      {english, "Update stopped", "\r\n " + english},
      {JoinText({"ファームウェアファイル", drvflash::Utf8LastCharacters(chosenPath, 12),
                 "を書き込むことはできません．\r", useFileFor}),
       "モデル名不一致", "\r\n " + useFileFor});
}
