#include "app/settings/SaveFailureText.h"

namespace kelvo {
namespace {

QString reason(SaveResult result) {
    switch (result) {
        case SaveResult::ReadOnly:
            return QStringLiteral("ファイルが読み取り専用になっています。");
        case SaveResult::Untrusted:
            return QStringLiteral(
                "安全に使えないファイルのため、読み込みも書き換えもしていません。");
        case SaveResult::WouldBeTooLarge:
            return QStringLiteral("保存すると 1 MiB を超えるため、書き換えませんでした。");
        case SaveResult::TooLarge:
            return QStringLiteral("1 MiB を超えるファイルは設定ファイルとして扱いません。");
        case SaveResult::ReadFailed:
            return QStringLiteral("今のファイルを読み込めませんでした。");
        case SaveResult::CreateFailed:
            return QStringLiteral("フォルダに新しいファイルを作れませんでした。");
        case SaveResult::WriteFailed:
            return QStringLiteral("書き込みに失敗しました（ディスクの空きを確認してください）。");
        case SaveResult::RenameFailed:
            return QStringLiteral("新しいファイルで置き換えられませんでした。");
        default:
            return QString();
    }
}

}  // namespace

bool savedToFile(SaveResult result) {
    return result == SaveResult::Saved || result == SaveResult::Unchanged ||
           result == SaveResult::FolderSyncFailed;
}

QString settingsNotSavedMessage(SaveResult result, const QString& path) {
    return QStringLiteral(
               "設定をファイルに保存できませんでした。\n%1\n%2\n\n"
               "変更した設定は終了するまで使われますが、次回の起動時には元に戻ります。")
        .arg(path, reason(result));
}

}  // namespace kelvo
