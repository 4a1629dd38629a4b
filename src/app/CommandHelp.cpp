#include "app/CommandHelp.h"

#include <map>

namespace yarrow {

namespace {

const std::map<int, QString>& HelpTable() {
    static const std::map<int, QString> table = {
        {32772, QStringLiteral("サーバに接続する\n接続")},
        {32773, QStringLiteral("サーバから切断する\n切断")},
        {32775, QStringLiteral("表を使用する\n表")},
        {32776, QStringLiteral("オプションを設定する\nオプション")},
        {32779, QStringLiteral("ログのスクロールをロックする\nスクロールロック")},
        {32780, QStringLiteral("ダイスを交換する\nダイス交換")},
        {32781, QStringLiteral("常に最前面に表示\n最前面")},
        {32783, QStringLiteral("Mapを使用する\nMap")},
        {32784, QStringLiteral("Map状態をリセットする\nリセット")},
        {32785, QStringLiteral("タイルを削除する\nﾀｲﾙ削除")},
        {32786, QStringLiteral("Mapを送信する\nMap送信")},
        {32787, QStringLiteral("タイルをスライドさせる\nスライド")},
        {32788, QStringLiteral("ログを全てクリアする\r\nログのクリア")},
        {32790, QStringLiteral("一人称フィルタのオン/オフ\n一人称フィルタ")},
        {32791, QStringLiteral("タイル塗りつぶしを終了する\n塗りつぶし終了")},
        {32792, QStringLiteral("Yarrowのヘルプを表示する\nヘルプ表示")},
        {32793, QStringLiteral("現在のMap状況を保存する\n保存")},
        {32794, QStringLiteral("Mapファイルを展開する\nMapファイルを開く")},
        {32795, QStringLiteral("ﾕﾆｯﾄを削除する\nﾕﾆｯﾄ削除")},
        {32798, QStringLiteral("ユニットの内容を編集する\nユニット編集")},
        {32799, QStringLiteral("設定ファイルを開きます\n開く")},
        {32800, QStringLiteral("設定ファイルに名前を付けて保存\n名前を付けて保存")},
        {32801, QStringLiteral("メンバリストをリセットする\nメンバリストのリセット")},
        {32810, QStringLiteral("ログをプレーンテキストで保存する\nTXTで保存")},
        {32812, QStringLiteral("新しいMapを作成する\nMap作成")},
        {32813, QStringLiteral("マップを削除する\nマップ削除")},
        {32814, QStringLiteral("チップを配置する\nﾁｯﾌﾟ配置")},
        {32816, QStringLiteral("カードを使用する\nカード")},
        {32817, QStringLiteral("山札をシャッフルする\nシャッフル")},
        {32818, QStringLiteral("手札をソートする\nソート")},
        {32820, QStringLiteral("ログをRTFで保存する\nRTFで保存")},
        {32821, QStringLiteral("タイルを塗りつぶす\nタイル塗り潰し")},
        {32822, QStringLiteral("タイルの塗りつぶす色を変更する\nタイル色変更")},
        {32824, QStringLiteral("プレーンテキストでのログ記録を開始する\nログ記録開始")},
        {32835, QStringLiteral("特定のメンバーにのみメッセージを送ります\n秘話")},
        {32837, QStringLiteral("捨札を山札に戻してシャッフルする\n捨札のリセット")},
        {32838, QStringLiteral("タイルラベルを編集する\nラベル編集")},
        {57665, QStringLiteral("Yarrowを終了する\n終了")},
    };
    return table;
}

}  // namespace

QString CommandHelpText(int id) {
    const auto& table = HelpTable();
    const auto it = table.find(id);
    return it == table.end() ? QString() : it->second;
}

QString CommandStatusText(int id) {
    const QString text = CommandHelpText(id);
    const qsizetype lf = text.indexOf(QLatin1Char('\n'));
    QString status = lf < 0 ? text : text.left(lf);
    // One entry separates its halves with CR LF; the CR is no part of what a
    // status bar can show.
    if (status.endsWith(QLatin1Char('\r'))) {
        status.chop(1);
    }
    return status;
}

QString CommandToolTip(int id) {
    const QString text = CommandHelpText(id);
    const qsizetype lf = text.indexOf(QLatin1Char('\n'));
    return lf < 0 ? QString() : text.mid(lf + 1);
}

}  // namespace yarrow
