#include "OutlineHelp.h"

namespace oruvan {

namespace {

constexpr const char* kEnglish =
    "Usage: oruvan-outline [options] FILE...\n"
    "Prints the headings of text files, one a line: the line number (from 1), a tab and the index\n"
    "text; with more than one FILE, each line starts with the file's name and a tab. FILE \"-\"\n"
    "reads standard input.\n"
    "\n"
    "  --marks=TEXT                         title marks as a comma text (default \"//@,--,\xe2\x96\xa0\")\n"
    "  --ignore-head-spaces=0|1             ignore blanks around each line (default 1)\n"
    "  --caption-including-title-mark=0|1   keep the title mark in the index text (default 0)\n"
    "  --heading-levels=0|1                 indent each heading by a full-width space per level\n"
    "                                       below 1, as the editor's lists do (default 0)\n"
    "  --menu                               print the Index menu instead, a page level indented by\n"
    "                                       two spaces, a separator as \"-\"\n"
    "  --next-page-menu-is-head=0|1         put the next-page item at the top of a page (default 1)\n"
    "  --encoding=NAME                      the file's encoding: auto (the default: detect it as the\n"
    "                                       editor does), shift_jis, utf-8, euc-jp, utf-16le,\n"
    "                                       utf-16be or iso-2022-jp\n"
    "  --filter=WORDS                       print only the headings that hold every word (words\n"
    "                                       part at blanks; letter case is ignored, widths are not)\n"
    "  --levels                             add a tab and the heading's level: the position (from 1)\n"
    "                                       of its title mark among the marks\n"
    "  --counts                             add a tab and the characters of the heading's section: its\n"
    "                                       line and the lines up to the next heading of its level or\n"
    "                                       above, line breaks not counted\n"
    "  --raw                                take --marks and --filter as cp932 bytes and write the\n"
    "                                       output in the file's own encoding, not UTF-8\n"
    "  --settings=FILE                      read the defaults from FILE instead of the editor's\n"
    "                                       settings: oruvan.ini beside this program, or for an\n"
    "                                       installed copy ~/.config/oruvan/oruvan.ini\n"
    "  --help                               show this help\n"
    "  --version                            show the version\n";

constexpr const char* kJapanese =
    "使い方: oruvan-outline [オプション] ファイル...\n"
    "テキストファイルの見出しを 1 行に 1 つずつ、行番号 (1 から)、タブ、インデックスの文字列の順に\n"
    "出力します。ファイルが 2 つ以上なら、各行の先頭にファイル名とタブが付きます。ファイル \"-\" は\n"
    "標準入力を読みます。\n"
    "\n"
    "  --marks=文字列                       タイトル記号 (カンマ区切り、既定は \"//@,--,\xe2\x96\xa0\")\n"
    "  --ignore-head-spaces=0|1             行頭と行末の空白を無視する (既定 1)\n"
    "  --caption-including-title-mark=0|1   インデックスの文字列にタイトル記号を含める (既定 0)\n"
    "  --heading-levels=0|1                 エディタの一覧と同じく、レベル 1 より下の見出しを\n"
    "                                       1 レベルにつき全角スペース 1 つ字下げする (既定 0)\n"
    "  --menu                               インデックスメニューを出力する (ページのレベルは\n"
    "                                       スペース 2 つの字下げ、区切り線は \"-\")\n"
    "  --next-page-menu-is-head=0|1         次のページの項目をページの先頭に置く (既定 1)\n"
    "  --encoding=名前                      ファイルの文字コード: auto (既定、エディタと同じく判別)、\n"
    "                                       shift_jis、utf-8、euc-jp、utf-16le、utf-16be、\n"
    "                                       iso-2022-jp\n"
    "  --filter=語                          すべての語を含む見出しだけを出力する (語は空白で区切る。\n"
    "                                       大文字と小文字は区別しない。全角と半角は区別する)\n"
    "  --levels                             タブと見出しのレベル (タイトル記号の並びでの位置、1 から)\n"
    "                                       を加える\n"
    "  --counts                             タブと見出しの節の文字数 (その行から、同じかより上の\n"
    "                                       レベルの次の見出しの前の行まで。改行は数えない) を加える\n"
    "  --raw                                --marks と --filter を cp932 のバイト列として扱い、\n"
    "                                       UTF-8 ではなくファイル自身の文字コードで出力する\n"
    "  --settings=ファイル                  既定値をエディタの設定ではなくファイルから読む (エディタの\n"
    "                                       設定はこのプログラムと同じフォルダの oruvan.ini、\n"
    "                                       インストール版では ~/.config/oruvan/oruvan.ini)\n"
    "  --help                               このヘルプを表示する\n"
    "  --version                            バージョン情報を表示する\n";

}  // namespace

const char* OutlineUsage(UiLanguage language) { return language == UiLanguage::English ? kEnglish : kJapanese; }

}  // namespace oruvan
