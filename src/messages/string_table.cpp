#include "messages/string_table.h"

#include <algorithm>
#include <iterator>

namespace {

struct StringTableRow {
  unsigned id;
  std::string_view english;
  std::string_view japanese;
};

// Ids 132 to 134 were never assigned.
constexpr StringTableRow kStringTable[] = {
    // clang-format off
    {101, "drvflash version(&A)...", "drvflashのﾊﾞｰｼﾞｮﾝ情報(&A)..."},
    {102, "                        [ATTENTION]", "                                    【ご使用の前に】"},
    {103, "\r\nDo not turn off/reset computer and drive during update.", "\r\n・ファームウェアの書き換え中は電源を切らないで下さい．"},
    {104, "\r\n\r\nClose all other windows.", "\r\n\r\n・全てのWindowを閉じてください．"},
    {105, "\r\n\r\nRemove disc from drive.", "\r\n\r\n・ファームウェアの書き換えを行う前にディスクを取り出してください．"},
    {106, "\r\n\r\nClose all other applications.", "\r\n\r\n・他のアプリケーションを全て終了させてください．"},
    {107, "Select firmware file to update", "ファームウェアファイルを選択してください"},
    {108, "QTX-517 is not found", "QTX-517が見つかりません"},
    {109, "Drive has been updated to this version", "ドライブはすでに，このバージョンに更新されています．"},
    {110, "Message", "確認"},
    {111, "\r\nDrive has been updated to this version", "\r\nドライブはすでに，このバージョンに更新されています．"},
    {112, "Disc is in drive. Please remove disc from drive.", "ドライブ内にディスクが入っています．\r\nディスクを取り出してください"},
    {113, "Update stopped", "セットアップ開始エラー"},
    {114, "\r\nDisc is in drive. Please remove disc from drive.", "\r\nドライブ内にディスクが入っています．\r\nディスクを取り出してください"},
    {115, "\r\nPreparing for update firmware -> ", "\r\nファームウェアを書き換える準備をしています -> "},
    {116, "done", "完了"},
    {117, "Down grade to ver. 1.28 is not allowed", "バージョン1.28へのダウングレードはサポートしておりません．"},
    {118, "Update stopped", "バージョンチェックエラー"},
    {119, "\r\nDown grade to ver. 1.28 is not allowed", "\r\nバージョン1.28へのダウングレードはサポートしておりません．"},
    {120, "Improper Hardware Version", "ハードウェアバージョンが一致しませんでした"},
    {121, "Update stopped", "ハードウェアバージョンエラー"},
    {122, "\r\nImproper Hardware Version", "\r\nハードウェアバージョンが一致しませんでした"},
    {123, "Data transfer error using DMA mode\r\nPlease disable DMA transfer mode.\r\nPlease refer to README.TXT file to disable DMA mode.", "DMA転送エラーのため，ファームウェアを書き換えることができません．\r\n転送モードをPIOに変更してください．\r\n変更方法は，readmeファイルを参照してください．"},
    {124, "Update stopped", "DMA転送エラー"},
    {125, "\r\nData transfer error using DMA mode\r\nPlease disable DMA transfer mode.\r\nPlease refer to README.TXT file to disable DMA mode.", "\r\nDMA転送エラーのため，ファームウェアを書き換えることができません．\r\n転送モードをPIOに変更してください．\r\n変更方法は，readmeファイルを参照してください．"},
    {126, "\r\nrestarting drive. Please wait 4 sec.", "\r\nドライブをリブートしています．４～３５秒お待ち下さい．"},
    {127, "Drive restart failure, no response from drive \r\nPlease turn off and power on computer,\r\nthen check drive firmware version again.", "ドライブから応答がありません．\r\nコンピュータを再起動してQTX-517が認識されるか確かめてください．"},
    {128, "Update error", "書き込みエラー"},
    {129, "\r\nDrive restart failure, no response from drive \r\nPlease turn off and power on computer,\r\nthen check drive firmware version again.", "\r\nドライブから応答がありません．\r\nコンピュータを再起動してQTX-517が認識されるか確かめてください．"},
    {130, "\r\nNow firmware updating...", "\r\nファームウェアを書き換えています．"},
    {131, "\r\nUpdating Kernel part firmware", "\r\nファームウェア(カーネル)を書き換えています．"},
    {135, "\r\n\r\nUpdate firmware is complete.", "\r\n\r\nファームウェアの書き換えが正常に終わりました．"},
    {136, "\r\n\r\nNew firmware version is ", "\r\n\r\n書き換え後のファームウェアバージョンは，"},
    {137, ".", "です．"},
    {138, "\r\n\r\nPlease reboot computer.", "\r\n\r\nコンピュータを再起動してください．"},
    // clang-format on
};

}  // namespace

std::string_view StringTableEntry(unsigned id, Language language) {
  const auto row = std::ranges::find(kStringTable, id, &StringTableRow::id);
  if (row == std::end(kStringTable)) {
    return {};
  }
  return language == Language::Japanese ? row->japanese : row->english;
}
