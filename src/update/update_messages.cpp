#include "update/update_messages.h"

#include <initializer_list>

#include "messages/built_in_text.h"

CheckMessage UnexpectedErrorMessage(std::string_view senseText) {
  return BuiltInText(
      {JoinText({"Unexpected error  (asc ", senseText, ")"}), "Update stopped",
       JoinText({"\r\n  Unexpected error (asc ", senseText, ")"})},
      {JoinText({"予期していないエラーが発生しました．(asc ", senseText, ")"}), "不明なエラー",
       JoinText({"\r\n 予期していないエラーが発生しました.\r\n (asc ", senseText, ")"})});
}

CheckMessage FailToPrepareMessage(std::string_view senseText) {
  const std::string japanese =
      JoinText({"ファームウェアを書き換える準備ができませんでした．\r\n "
                "ディスクが入っていたり，トレーが動作していると準備ができません．\r\n (asc ",
                senseText, ")"});
  return BuiltInText(
      {" Fail to prepare drive for download \r\n Failure due to loading/unloading of tray", "error",
       "\r\n Fail to prepare drive for download \r\n Failure due to loading/unloading of tray"},
      {japanese, "セットアップ開始エラー", "\r\n " + japanese});
}

CheckMessage VersionMismatchMessage(std::string_view revision, std::string_view fileVersion) {
  const std::string english =
      JoinText({"Update of firmware failure: the drive reports version ", revision,
                ", the firmware file holds version ", fileVersion, "."});
  const std::string japanese =
      JoinText({"ファームウェアの書き換えに失敗しました．ドライブのバージョンは", revision,
                "，ファームウェアファイルのバージョンは", fileVersion, "です．"});
  return BuiltInText({english, "Update error", "\r\n" + english},
                     {japanese, "書き込み失敗", "\r\n" + japanese});
}

CheckMessage KernelModeQuestion() {
  return BuiltInText(
      {"Update of Normal part failure \r\nRestart Normal part update", "Update error",
       "Update failure. Drive is Kernel mode. \r\n Please retry firmware update again."},
      {"ファームウェアの書き換えに失敗しました．\r\n もう一度，書き換えを行います．",
       "書き込み失敗",
       "ファームウェアの書き換えに失敗しましたが，\r\n "
       "ドライブは，再度，ファームウェアの書き換えが可能な状態です．"});
}

std::string NotKernelFileText(std::string_view kernelPath) {
  return JoinText({"\r\n ", kernelPath,
                   BuiltInText("is not Kernel file.", "は，カーネルファイルではありません.")});
}

std::string NotNormalFileText(std::string_view path) {
  return JoinText(
      {"\r\n ", path, BuiltInText("is not Nomal file.", "は，ノーマルファイルではありません.")});
}

std::string ConfirmUpdateText(std::string_view driveVersion, std::string_view fileVersion) {
  return std::string(BuiltInText(
      JoinText({"Update firmware from ", driveVersion, " to ", fileVersion}),
      JoinText({"QTX-517をバージョン", driveVersion, "から", fileVersion, "に書き換えます"})));
}

std::string_view ConfirmUpdateCaption() {
  return BuiltInText("Message", "確認");
}
