// Japanese messages for the extended error codes of the common dialogs.
#include "catalogue/file_chooser.h"

namespace catalogue {
namespace {

struct ErrorText {
  unsigned long code;
  const char* text;
};

const ErrorText kErrors[] = {
    {0x0001, "不正な構造体サイズがコモンダイアログに渡されました。"},
    {0x0002, "コモン ダイアログの初期化に失敗しました。\n\rメモリ不足の可能性があります。"},
    {0x0003, "コモン ダイアログのカスタム テンプレートが見つかりません。"},
    {0x0004, "インスタンス ハンドルがコモン ダイアログに渡されていません。"},
    {0x0005, "指定文字列のロードに失敗しました。"},
    {0x0006, "指定リソースが見つかりません。"},
    {0x0007, "指定リソースのロードに失敗しました。"},
    {0x0008, "指定リソースのロックに失敗しました。"},
    {0x0009, "コモン ダイアログ内部の構造体のメモリ確保に失敗しました。"},
    {0x000A, "コモン ダイアログ内部の構造体のメモリのロックに失敗しました。"},
    {0x000B,
     "コモン "
     "ダイアログに渡されたフック関数はありません。\n\rENABLEHOOKはフラグとして設定されました。"},
    {0x1001, "コモン ダイアログのリソースの設定に失敗しました。"},
    {0x1002, "WIN.INIの[devices]セクション\n\rの文字列の解析に失敗しました。"},
    {0x1003,
     "PD_"
     "RETURNDEFAULTフラグが設定されましたが、hDevMode\n\rあるいはhDevNamesフィールドのいずれかが0以"
     "外の値になっています。"},
    {0x1004, "プリンタ ドライバのロードに失敗しました。"},
    {0x1005, "プリンタ ドライバがDEVMODEデータ構造体の初期化に失敗しました。"},
    {0x1006, "印刷ダイアログの初期化中にエラーが発生しました。"},
    {0x1007, "プリンタ ドライバが見つかりません。"},
    {0x1008, "通常使うプリンタが見つかりません。"},
    {0x1009, "DEVMODEのデータとDEVNAMESのデータは矛盾しています。"},
    {0x100A, "ICの作成に失敗しました。"},
    {0x100B, "プリンタが見つかりません。"},
    {0x2001, "フォントが存在しません。"},
    {0x3001, "コモン ダイアログの初期化中にサブクラス化に失敗しました。"},
    {0x3002, "不正なファイル名がFileOpenまたはFileSaveに渡されました。"},
    {0x3003, "文字列を格納するためにコモン ダイアログへ渡すバッファが小さ過ぎます。"},
    {0xFFFF, "コモン ダイアログの作成はDialogBox()関数呼び出し時に失敗しました。"},
};

}  // namespace

const char* common_dialog_error_caption() { return "ｺﾓﾝﾀﾞｲｱﾛｸﾞﾎﾞｯｸｽのｴﾗｰ"; }

const char* common_dialog_error_text(unsigned long code) {
  for (const ErrorText& error : kErrors)
    if (error.code == code) return error.text;
  return nullptr;
}

}  // namespace catalogue
