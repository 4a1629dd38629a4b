#!/usr/bin/env python3
"""Writes the sample data a new user plays with into data/: Deck.ini,
Chart.ini, ChipFile.ini with its chip bitmaps, and the help page.

Every text file is code page 932 with CR LF line ends, as the program reads
them. The chip bitmaps are drawn here pixel by pixel (19 x 19, 24-bit).
Run from anywhere: python3 scripts/make_sample_data.py
"""

import math
import os
import struct

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")


def write_text(name, lines):
    path = os.path.join(DATA, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("cp932"))


def ini(sections):
    lines = []
    for i, (name, entries) in enumerate(sections):
        if i:
            lines.append("")
        lines.append("[%s]" % name)
        lines.extend("%s=%s" % (k, v) for k, v in entries)
    return lines


# ---------------------------------------------------------------- Deck.ini

SUITS = ["スペード", "ハート", "ダイヤ", "クラブ"]
RANKS = ["A", "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K"]
ARCANA = [
    "0 愚者", "I 魔術師", "II 女教皇", "III 女帝", "IV 皇帝", "V 教皇", "VI 恋人",
    "VII 戦車", "VIII 力", "IX 隠者", "X 運命の輪", "XI 正義", "XII 吊された男",
    "XIII 死神", "XIV 節制", "XV 悪魔", "XVI 塔", "XVII 星", "XVIII 月", "XIX 太陽",
    "XX 審判", "XXI 世界",
]


def deck_ini():
    cards = ["%sの%s" % (s, r) for s in SUITS for r in RANKS] + ["ジョーカー", "ジョーカー"]
    playing = [("CardNum", str(len(cards))), ("DeckNum", "1"), ("Attribute", "1")]
    playing += [(str(i), c) for i, c in enumerate(cards)]
    tarot = [("CardNum", str(len(ARCANA))), ("DeckNum", "1"), ("Attribute", "2"),
             ("Attr0", "正位置"), ("Attr1", "逆位置")]
    tarot += [(str(i), c) for i, c in enumerate(ARCANA)]
    return ini([
        ("DeckSet", [("0", "トランプ"), ("1", "タロット大アルカナ")]),
        ("トランプ", playing),
        ("タロット大アルカナ", tarot),
    ])


# ---------------------------------------------------------------- Chart.ini

def chart_ini():
    return ini([
        ("命中表", [("UseDice", "2D6"), ("Min", "2"), ("Max", "12"),
                   ("2", "<color 0000FF>ファンブル</color>：武器を取り落とす"), ("3", "大きく外れた"),
                   ("4", "外れた"), ("5", "かすった"), ("6", "命中：脚"), ("7", "命中：胴"),
                   ("8", "命中：胴"), ("9", "命中：右腕"), ("10", "命中：左腕"),
                   ("11", "命中：頭"), ("12", "<color FF0000>クリティカル</color>：急所に命中"),
                   ("MinResult", "<color 0000FF>ファンブル</color>：武器を取り落とす"),
                   ("MaxResult", "<color FF0000>クリティカル</color>：急所に命中")]),
        ("天候表", [("UseDice", "1D6"),
                   ("1", "快晴"), ("2", "晴れ"), ("3", "曇り"), ("4", "小雨"),
                   ("5", "大雨"), ("6", "嵐")]),
        ("遭遇表", [("UseDice", "1D6"), ("Max", "6"), ("Min", "1"),
                   ("1", "何も起こらない"), ("2", "旅の商人"), ("3", "野犬の群れ"),
                   ("4", "盗賊"), ("5", "迷子の子供"), ("6", "はぐれ魔獣"),
                   ("MinResult", "何も起こらない"), ("MaxResult", "強敵の襲来")]),
        ("方向表", [("UseDice", "1D8"),
                   ("1", "北"), ("2", "北東"), ("3", "東"), ("4", "南東"),
                   ("5", "南"), ("6", "南西"), ("7", "西"), ("8", "北西")]),
        ("財宝表", [("UseDice", "1D100"), ("Min", "1"), ("Max", "5"),
                   ("1", "金貨1枚"), ("2", "銀の指輪"), ("3", "古びた地図"),
                   ("4", "回復の薬"), ("5", "魔法の巻物"),
                   ("MaxResult", "何も見つからない")]),
    ])


# ---------------------------------------------------------------- chips

SIZE = 19


def bmp(pixels):
    """24-bit bottom-up BMP from rows of (r, g, b), top row first."""
    row_bytes = (SIZE * 3 + 3) // 4 * 4
    body = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (row_bytes - len(line))
        body += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return header + info + bytes(body)


def draw(shape):
    """shape(x, y) gives a colour or None (white) for each pixel."""
    white = (255, 255, 255)
    return [[shape(x, y) or white for x in range(SIZE)] for y in range(SIZE)]


def dist(x, y, cx=9, cy=9):
    return math.hypot(x - cx, y - cy)


def knight(x, y):  # a blue shield
    if y < 2 or x < 3 or x > 15:
        return None
    if y > 11 and dist(x, y, 9, 9) > 9.5:
        return None
    if x == 9 or y == 7:
        return (255, 220, 0)
    edge = x in (3, 15) or y == 2 or dist(x, y, 9, 9) > 8.5
    return (20, 20, 90) if edge else (40, 80, 200)


def monster(x, y):  # a red face with horns
    if (y < 5 and (abs(x - 4) + abs(y - 4) <= 1 + (4 - y) // 2 or
                   abs(x - 14) + abs(y - 4) <= 1 + (4 - y) // 2)):
        return (90, 0, 0)
    d = dist(x, y, 9, 10)
    if d > 8:
        return None
    if (abs(x - 6) <= 1 and y == 8) or (abs(x - 12) <= 1 and y == 8):
        return (255, 255, 0)
    if y == 13 and 5 <= x <= 13:
        return (40, 0, 0)
    return (200, 30, 30) if d < 7.3 else (90, 0, 0)


def treasure(x, y):  # a chest
    if not (2 <= x <= 16 and 4 <= y <= 15):
        return None
    if x in (2, 16) or y in (4, 15) or y == 8:
        return (80, 40, 0)
    if 8 <= x <= 10 and 7 <= y <= 10:
        return (255, 215, 0)
    return (170, 100, 30)


def tree(x, y):
    if 8 <= x <= 10 and 12 <= y <= 17:
        return (110, 60, 20)
    d = dist(x, y, 9, 7)
    if d <= 6.5:
        return (0, 110, 0) if d > 5.5 else (40, 170, 40)
    return None


def door(x, y):
    if not (4 <= x <= 14 and 1 <= y <= 17):
        return None
    if x in (4, 14) or y in (1, 17):
        return (60, 30, 10)
    if x == 12 and y == 9:
        return (230, 200, 60)
    return (150, 90, 40) if x != 9 else (110, 60, 25)


def trap(x, y):  # a warning triangle
    half = (y - 2) * 0.55
    if y < 2 or y > 16 or abs(x - 9) > half:
        return None
    if 8 <= x <= 10 and (5 <= y <= 11 or 13 <= y <= 14):
        return (0, 0, 0)
    return (230, 40, 20) if abs(x - 9) > half - 1.5 or y == 16 else (255, 220, 0)


CHIPS = [
    ("ChipKnight.bmp", "騎士", knight, "0x2850C8"),
    ("ChipMonster.bmp", "魔物", monster, "0xC81E1E"),
    ("ChipTreasure.bmp", "宝箱", treasure, "0xAA641E"),
    ("ChipTree.bmp", "木", tree, "0x28AA28"),
    ("ChipDoor.bmp", "扉", door, "0x965A28"),
    ("ChipTrap.bmp", "罠", trap, "0xFFDC00"),
]


def chip_ini():
    files = [("ChipNum", str(len(CHIPS)))] + [(str(i), c[0]) for i, c in enumerate(CHIPS)]
    names = [(str(i), c[1]) for i, c in enumerate(CHIPS)]
    colors = [(str(i), c[3]) for i, c in enumerate(CHIPS)]
    return ini([("ChipFile", files), ("ChipName", names), ("ChipColor", colors)])


# ---------------------------------------------------------------- help

HELP = """<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="Shift_JIS">
<title>Yarrow ヘルプ</title>
<style>
body { font-family: sans-serif; max-width: 48em; margin: 1em auto; line-height: 1.6; }
code { background: #eee; padding: 0 0.3em; }
h2 { border-bottom: 1px solid #999; }
</style>
</head>
<body>
<h1>Yarrow ヘルプ</h1>
<p>Yarrow はネットワーク越しにテーブルトークRPGを遊ぶためのチャットソフトです。
参加者の一人がサーバとなり、全員(サーバを立てた人も)がそのサーバに接続します。</p>

<h2>サーバを立てる・参加する</h2>
<ol>
<li>「接続」メニューの「サーバに接続(&amp;C)」を選びます。</li>
<li>サーバを立てるときは「ｻｰﾊﾞとして接続」を選び、ハンドルネームとポート番号(標準は 15000)を入力して OK を押します。
ほかの参加者にアドレスとポート番号を伝えてください。ルータやファイアウォールがある場合は、そのポートへの接続を許可する必要があります。</li>
<li>参加するときは「ｸﾗｲｱﾝﾄとして接続」を選び、サーバ名(IP)、ポート番号、ハンドルネームを入力して OK を押します。</li>
</ol>
<p>「現在の設定をデフォルトにする」に印を付けると、次回からその値が入っています。
<code>yarrow://アドレス:ポート/</code> の形の参加リンクを開くと、接続画面がその値で開きます(<code>?name=名前</code> を付けるとそのまま参加します)。
接続が途切れると自動で再接続します。途中から参加した人にも、共有の表とマップが届きます。</p>

<h2>発言する</h2>
<p>入力欄に書いて Enter で発言します(Ctrl+Enter で改行)。
<code>&lt;size 1～5&gt;…&lt;/size&gt;</code> で文字の大きさ、<code>&lt;color FF0000&gt;…&lt;/color&gt;</code> で色、
<code>&lt;cr&gt;</code> で改行、<code>&lt;h&gt;</code> でハートを書けます(Ctrl+S、Ctrl+R、Ctrl+H で入力)。
サブハンドルネームはオプションの「基本」ページに登録し、Ctrl+N で切り替えます。
メンバーリストの名前をダブルクリックするか「機能」メニューの「秘話(&amp;S)」を選ぶと、選んだ人にだけ発言できます。
名前を右ボタンでダブルクリックすると、その人をコールします。</p>

<h2>ダイスを振る</h2>
<p>ダイス欄に式を書き、Enter か「Dice」ボタン(Ctrl+D)で振ります。例:</p>
<ul>
<li><code>2D6</code> … 6面ダイスを2個振って合計します。<code>3D6+2</code> のように +、-、*、/ で数を付けられます。</li>
<li><code>+1,2D6</code> … 2D6のうち大きい方の1個を使います。<code>-1,2D6</code> なら小さい方です。</li>
<li><code>!4D6</code> … 出目を小さい順に並べて表示します。</li>
<li><code>2D6@どさっ</code> … 「ころころ……」の代わりに「@」の後の言葉を表示します。</li>
<li><code>$CARD</code> … デッキからカードを1枚引きます。</li>
<li><code>$TIMER,10m,1m</code> … 10分のカウントダウンを始め、1分ごとに残り時間を全員に知らせます(単位は h、m、なしで秒)。<code>$TIMER</code> だけで止めます。</li>
<li><code>$KS,5</code> … 6面ダイス5個。6が出たダイスは振り足します(プラグイン)。</li>
<li><code>$BM,5,8</code> … 10面ダイス5個。8以上が出たダイスを振り直すたびに10を加え、最後の最大の出目を足します(プラグイン)。</li>
<li><code>$GD,4D6KH3</code> … 4D6の大きい方3個の合計。<code>$GD,5D6&gt;=5</code> で成功数、<code>$GD,3D6!</code> で振り足し、<code>$GD,D66</code> なども振れます(プラグイン)。</li>
</ul>
<p>Shift キーを押しながら振ると、結果が自分にだけ表示される隠しダイスになります。
Ctrl+1 ～ Ctrl+9 でダイス一覧の1番目から9番目の式を振れます。
よく使う式はオプションの「基本」ページのダイス一覧に登録できます。</p>

<h2>ダイス表を使う</h2>
<p>プログラムフォルダの <code>Chart.ini</code> に表を書いておくと、
<code>#表の名前</code> で表を振れます。<code>#命中表,+2</code> のように「,」の後に修正値を付けられます。</p>
<pre>
[天候表]
UseDice=1D6
1=快晴
2=晴れ
...
</pre>
<p>表の名前に空白は使えません。出目に対応する行がないときは <code>Min</code>/<code>MinResult</code>、
<code>Max</code>/<code>MaxResult</code> で範囲外の結果を決められます。</p>

<h2>ダイステンプレートを使う</h2>
<p>右下のテンプレート欄には、名前と目標値の付いた判定を登録できます。
ダブルクリックで振ると、修正値欄の値を加えて成功か失敗かが表示されます(Shift を押しながらなら隠しダイス)。
テンプレートはオプションの「ダイステンプレート」ページで追加・編集できます。</p>

<h2>共有の表</h2>
<p>「機能」メニューの「表を使用(&amp;T)」(Ctrl+T)で、全員で共有する表が開きます。
行や列を追加して書き込み、「更新」で全員に送ります。編集中はほかの人の表がロックされます。</p>

<h2>マップ</h2>
<p>「Mapを使用(&amp;M)」(Ctrl+M)で四角形または六角形のマス目のマップが開きます。
空いたマスのダブルクリックでユニットを置き、ドラッグで動かします(Ctrl を押しながらなら複製)。ユニットのダブルクリックで向きが変わります。
右クリックのメニューでチップの配置やタイルの塗り潰し、ツールバーで形や背景色を切り替えられます。
変更は全員のマップに送られます。「ロック」したマップのタイルはほかの人の変更で変わりません。
「新しいMapの作成」でマップをタブで増やせ、ファイルへの保存とスナップショットもできます。</p>

<h2>カード</h2>
<p>「カードを使用(&amp;U)」(Ctrl+U)でカード管理の画面が開きます。
山札から公開して、または隠して引き、手札・場札(伏せ・表)・捨て札の間はドラッグで動かします。
ほかの人へ渡すことや、ほかの人の手札からランダムにもらうこと(相手に確認します)もできます。
サーバはプログラムフォルダの <code>Deck.ini</code> からデッキを読み込み、サーバを立てた人が「デッキ切替」で替えられます。
付属のデッキはトランプ(ジョーカー入り54枚)とタロットの大アルカナ(22枚、正位置・逆位置付き)です。</p>

<h2>ログとファイル</h2>
<p>「ﾌｧｲﾙ」メニューでログを RTF やテキストで保存できます。
「ログ記録開始(&amp;L)」を選ぶか、接続画面の「接続と同時にログ保存開始」に印を付けておくと、接続中の発言をテキストファイルに記録し続けます。
ファイルはプログラムフォルダの <code>Log</code> フォルダに作られます。
設定 <code>Yarrow.ini</code> もプログラムフォルダにあり、初めて起動したときに標準の設定で作られます。
プログラムフォルダは、インストールした Yarrow では <code>~/.local/share/yarrow</code>、
データファイルのあるフォルダに置いた Yarrow ではそのフォルダです。</p>
</body>
</html>
"""


def main():
    os.makedirs(DATA, exist_ok=True)
    write_text("Deck.ini", deck_ini())
    write_text("Chart.ini", chart_ini())
    write_text("ChipFile.ini", chip_ini())
    for name, _, shape, _ in CHIPS:
        with open(os.path.join(DATA, name), "wb") as f:
            f.write(bmp(draw(shape)))
    write_text(os.path.join("help", "index.html"), HELP.split("\n")[:-1])


if __name__ == "__main__":
    main()
