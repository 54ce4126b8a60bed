<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>oruvan::AboutDialog</name>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>【%1】</source>
        <translation>[%1]</translation>
    </message>
    <message>
        <source>&#x3000;フリーソフトウェアです</source>
        <translation>  Free software</translation>
    </message>
    <message>
        <source>&#x3000;制作：Oruvan 開発者一同</source>
        <translation>  Made by the Oruvan developers</translation>
    </message>
    <message>
        <source>&#x3000;ご意見・ご感想は下記までお寄せください</source>
        <translation>  Comments and suggestions are welcome at</translation>
    </message>
    <message>
        <source>&#x3000;&#x3000;oruvan@example.org</source>
        <translation>    oruvan@example.org</translation>
    </message>
    <message>
        <source>  &#x3000;https://www.example.org/oruvan/</source>
        <translation>    https://www.example.org/oruvan/</translation>
    </message>
</context>
<context>
    <name>oruvan::CommandLine</name>
    <message>
        <source>見出しの一覧付きでテキストファイルを表示・編集します。ファイルごとにウィンドウを開きます。</source>
        <translation>Views and edits text files with a list of their headings. Each file opens in its own window.</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>file</translation>
    </message>
    <message>
        <source>開くファイル</source>
        <translation>A file to open.</translation>
    </message>
    <message>
        <source>[ファイル...]</source>
        <translation>[file...]</translation>
    </message>
    <message>
        <source>このヘルプを表示します。</source>
        <translation>Shows this help.</translation>
    </message>
    <message>
        <source>バージョン情報を表示します。</source>
        <translation>Shows the version.</translation>
    </message>
</context>
<context>
    <name>oruvan::CommandTable</name>
    <message>
        <source>新規作成(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>開く(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>文字コードを指定して開き直す(&amp;E)</source>
        <translation>Reopen with &amp;Encoding</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>名前を付けて保存(&amp;A)</source>
        <translation>Save &amp;As</translation>
    </message>
    <message>
        <source>文書の情報(&amp;I)...</source>
        <translation>Document &amp;Info...</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>切り取り(&amp;X)</source>
        <translation>Cu&amp;t</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>貼りつけ(&amp;P)</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>全て選択(&amp;A)</source>
        <translation>Select &amp;All</translation>
    </message>
    <message>
        <source>検索(&amp;F)...</source>
        <translation>&amp;Find...</translation>
    </message>
    <message>
        <source>置換(&amp;R)...</source>
        <translation>&amp;Replace...</translation>
    </message>
    <message>
        <source>次を検索(&amp;N)</source>
        <translation>Find &amp;Next</translation>
    </message>
    <message>
        <source>前を検索</source>
        <translation>Find Previous</translation>
    </message>
    <message>
        <source>行へ移動(&amp;G)...</source>
        <translation>&amp;Go to Line...</translation>
    </message>
    <message>
        <source>節を上へ移動</source>
        <translation>Move Section Up</translation>
    </message>
    <message>
        <source>節を下へ移動</source>
        <translation>Move Section Down</translation>
    </message>
    <message>
        <source>節のレベルを上げる</source>
        <translation>Promote Section</translation>
    </message>
    <message>
        <source>節のレベルを下げる</source>
        <translation>Demote Section</translation>
    </message>
    <message>
        <source>カレントフォルダを開く(&amp;D)</source>
        <translation>Open Current Fol&amp;der</translation>
    </message>
    <message>
        <source>設定(&amp;S)...</source>
        <translation>&amp;Settings...</translation>
    </message>
    <message>
        <source>フォントの設定(&amp;F)...</source>
        <translation>&amp;Font...</translation>
    </message>
    <message>
        <source>背景色の設定(&amp;B)...</source>
        <translation>&amp;Background Color...</translation>
    </message>
    <message>
        <source>テキスト色の設定(&amp;T)...</source>
        <translation>&amp;Text Color...</translation>
    </message>
    <message>
        <source>右端で折り返す(&amp;W)</source>
        <translation>&amp;Wrap at the Right Edge</translation>
    </message>
    <message>
        <source>タイトル記号の順を見出しのレベルにする(&amp;H)</source>
        <translation>Title Mark Order as &amp;Heading Levels</translation>
    </message>
    <message>
        <source>保存する文字コード(&amp;C)</source>
        <translation>Save En&amp;coding</translation>
    </message>
    <message>
        <source>改行コード(&amp;L)</source>
        <translation>&amp;Line Breaks</translation>
    </message>
    <message>
        <source>見出しの絞り込み(&amp;J)</source>
        <translation>Filter Headings (&amp;J)</translation>
    </message>
    <message>
        <source>前のインデックスへ移動(&amp;P)</source>
        <translation>&amp;Previous Heading</translation>
    </message>
    <message>
        <source>次のインデックスへ移動(&amp;N)</source>
        <translation>&amp;Next Heading</translation>
    </message>
    <message>
        <source>リストビューを表示する(&amp;L)</source>
        <translation>Show the &amp;List</translation>
    </message>
    <message>
        <source>更新(&amp;U)</source>
        <translation>&amp;Update Index</translation>
    </message>
    <message>
        <source>見出しで折りたたむ(&amp;F)</source>
        <translation>&amp;Fold at Headings</translation>
    </message>
    <message>
        <source>節を折りたたむ</source>
        <translation>Fold Section</translation>
    </message>
    <message>
        <source>節を展開</source>
        <translation>Unfold Section</translation>
    </message>
    <message>
        <source>すべて折りたたむ</source>
        <translation>Fold All</translation>
    </message>
    <message>
        <source>すべて展開</source>
        <translation>Unfold All</translation>
    </message>
    <message>
        <source>レベル1まで表示</source>
        <translation>Show to Level 1</translation>
    </message>
    <message>
        <source>レベル2まで表示</source>
        <translation>Show to Level 2</translation>
    </message>
    <message>
        <source>レベル3まで表示</source>
        <translation>Show to Level 3</translation>
    </message>
    <message>
        <source>レベル4まで表示</source>
        <translation>Show to Level 4</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)...</source>
        <translation>&amp;Help...</translation>
    </message>
</context>
<context>
    <name>oruvan::DocumentController</name>
    <message>
        <source>文書は変更されています。保存しますか？</source>
        <translation>The document has been changed. Save it?</translation>
    </message>
    <message>
        <source>ファイルを保存しました。</source>
        <translation>The file has been saved.</translation>
    </message>
    <message>
        <source>ファイルは存在しないか、開けません</source>
        <translation>The file does not exist or cannot be opened</translation>
    </message>
    <message>
        <source>%1 行目の「%2」など、%3 で保存できない文字があります。</source>
        <translation>Some characters, such as "%2" in line %1, cannot be saved in %3.</translation>
    </message>
    <message>
        <source>ファイルを保存する</source>
        <translation>Save File</translation>
    </message>
    <message>
        <source>ファイルを開く</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>文字コードを %1 に変更しますか？</source>
        <translation>Change the encoding to %1?</translation>
    </message>
    <message>
        <source>UTF-8 で保存しますか？</source>
        <translation>Save in UTF-8?</translation>
    </message>
    <message>
        <source>混在</source>
        <translation>Mixed</translation>
    </message>
</context>
<context>
    <name>oruvan::DocumentGuard</name>
    <message>
        <source>ファイルが他のプログラムで変更されたため読み込み直しました</source>
        <translation>The file was changed by another program and has been reloaded</translation>
    </message>
    <message>
        <source>ファイルが削除されたか名前が変更されました</source>
        <translation>The file has been deleted or renamed</translation>
    </message>
    <message>
        <source>%1 は他のプログラムで変更されています。上書きしますか?</source>
        <translation>%1 has been changed by another program. Overwrite it?</translation>
    </message>
    <message>
        <source>%1 には保存されていない変更が残っています。復元しますか?</source>
        <translation>%1 has unsaved changes left from an earlier session. Restore them?</translation>
    </message>
    <message>
        <source>名前のない文書</source>
        <translation>Untitled document</translation>
    </message>
    <message>
        <source>ファイルが他のプログラムで変更されました</source>
        <translation>The file has been changed by another program</translation>
    </message>
    <message>
        <source>%1 は読み取り専用です。上書きしますか?</source>
        <translation>%1 is read-only. Overwrite it?</translation>
    </message>
    <message>
        <source>復元用のコピーを %1 に保存できません</source>
        <translation>Cannot keep a recovery copy in %1</translation>
    </message>
    <message>
        <source>復元用のコピーを %1 に保存できません。
保存していない変更は、プログラムが異常終了すると失われます。</source>
        <translation>Cannot keep a recovery copy in %1.
Unsaved changes will be lost if the program ends abnormally.</translation>
    </message>
    <message>
        <source>復元用のコピーを %1 に保存できません。
保存が途中で止まると文書が失われることがあります。保存しますか?</source>
        <translation>Cannot keep a recovery copy in %1.
If saving stops halfway, the document may be lost. Save anyway?</translation>
    </message>
</context>
<context>
    <name>oruvan::DropDownCountScale</name>
    <message>
        <source>左右にドラッグして数値変更</source>
        <translation>Drag left or right to change the number</translation>
    </message>
</context>
<context>
    <name>oruvan::FindBar</name>
    <message>
        <source>検索</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>検索する文字列</source>
        <translation>Find what</translation>
    </message>
    <message>
        <source>次を検索</source>
        <translation>Find Next</translation>
    </message>
    <message>
        <source>前を検索</source>
        <translation>Find Previous</translation>
    </message>
    <message>
        <source>10000+ 件</source>
        <translation>10000+ matches</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>置換後の文字列</source>
        <translation>Replace with</translation>
    </message>
    <message>
        <source>置換</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>すべて置換(&amp;A)</source>
        <translation>Replace &amp;All</translation>
    </message>
    <message>
        <source>大文字と小文字を区別する(&amp;C)</source>
        <translation>Match &amp;case</translation>
    </message>
    <message>
        <source>全角と半角を区別しない(&amp;W)</source>
        <translation>Ignore full and half &amp;width</translation>
    </message>
    <message>
        <source>正規表現(&amp;X)</source>
        <translation>Regular e&amp;xpression</translation>
    </message>
</context>
<context>
    <name>oruvan::FindQuery</name>
    <message>
        <source>正規表現が正しくありません: %1（%2 文字目）</source>
        <translation>Invalid regular expression: %1 (at character %2)</translation>
    </message>
</context>
<context>
    <name>oruvan::GoToLineDialog</name>
    <message>
        <source>行へ移動</source>
        <translation>Go to Line</translation>
    </message>
    <message>
        <source>行番号 (1 - %1)(&amp;L):</source>
        <translation>&amp;Line number (1 - %1):</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>oruvan::HeadingFilterField</name>
    <message>
        <source>見出しを絞り込む</source>
        <translation>Filter headings</translation>
    </message>
</context>
<context>
    <name>oruvan::IndexMenu</name>
    <message>
        <source>インデックス(&amp;I)</source>
        <translation>&amp;Index</translation>
    </message>
    <message>
        <source>次のページ (&amp;&gt;)</source>
        <translation>Next Page (&amp;&gt;)</translation>
    </message>
</context>
<context>
    <name>oruvan::MainMenus</name>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>設定(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>自動判別</source>
        <translation>Detect</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>切り取り(&amp;T)</source>
        <translation>Cu&amp;t</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>すべて選択(&amp;A)</source>
        <translation>Select &amp;All</translation>
    </message>
</context>
<context>
    <name>oruvan::MainWindow</name>
    <message>
        <source>変更あり</source>
        <translation>Modified</translation>
    </message>
    <message>
        <source>%1行: %2列</source>
        <translation>Line %1: Column %2</translation>
    </message>
    <message>
        <source>選択 …字</source>
        <translation>Selection … chars</translation>
    </message>
    <message>
        <source>節 …字</source>
        <translation>Section … chars</translation>
    </message>
    <message>
        <source>文字数: %1字
原稿用紙: %2枚 (400字詰め)
行数: %3
見出し: %4</source>
        <translation>Characters: %1
Manuscript sheets: %2 (400 characters each)
Lines: %3
Headings: %4</translation>
    </message>
</context>
<context>
    <name>oruvan::MatchCounter</name>
    <message>
        <source>… 件</source>
        <translation>… matches</translation>
    </message>
    <message>
        <source>%1 / %2 件</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>%1 件</source>
        <translation>%1 matches</translation>
    </message>
</context>
<context>
    <name>oruvan::MessageBoxes</name>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>oruvan::RecentDocuments</name>
    <message>
        <source>最近使ったファイルの一覧を更新できません: </source>
        <translation>Cannot update the list of recent files: </translation>
    </message>
</context>
<context>
    <name>oruvan::RegisterFileDialog</name>
    <message>
        <source>ファイルを登録</source>
        <translation>Register File</translation>
    </message>
    <message>
        <source>%1
フォルダが見つかりません。</source>
        <translation>%1
The folder cannot be found.</translation>
    </message>
</context>
<context>
    <name>oruvan::RegisteredFileList</name>
    <message>
        <source>登録済みファイル／チェック付きファイルは、起動時に読み込む</source>
        <translation>Registered files; checked files are opened at startup</translation>
    </message>
</context>
<context>
    <name>oruvan::SectionCounter</name>
    <message>
        <source>節 %1字 (%2枚)</source>
        <translation>Section %1 chars (%2 sheets)</translation>
    </message>
    <message>
        <source>選択 %1字</source>
        <translation>Selection %1 chars</translation>
    </message>
</context>
<context>
    <name>oruvan::SettingsDialog</name>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>ドロップダウンリストに同時に表示する目次数</source>
        <translation>Headings shown at once in the drop-down list</translation>
    </message>
    <message>
        <source>タイトルとして認識される文字</source>
        <translation>Title marks</translation>
    </message>
    <message>
        <source>タイトルに認識文字を含ませる(&amp;T)</source>
        <translation>Keep the &amp;title mark in the index</translation>
    </message>
    <message>
        <source>行頭のスペースを無視する(&amp;S)</source>
        <translation>Ignore &amp;spaces at the start of a line</translation>
    </message>
    <message>
        <source>インデックスメニューの「次へ」を一番上に表示する</source>
        <translation>Put "Next Page" at the top of the Index menu</translation>
    </message>
    <message>
        <source>登録するファイル</source>
        <translation>Registered files</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>ファイルを新規登録する</source>
        <translation>Register a new file</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>選択ファイルをリストから削除する</source>
        <translation>Remove the selected file from the list</translation>
    </message>
    <message>
        <source>チェックがついているファイルは、起動時に自動で読み込まれます</source>
        <translation>Checked files are opened automatically at startup</translation>
    </message>
    <message>
        <source>ファイルをドラッグして追加する事も出来ます</source>
        <translation>You can also add files by dragging them here</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>oruvan::TextFileDialog</name>
    <message>
        <source>テキストファイル (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>全てのファイル (*)</source>
        <translation>All files (*)</translation>
    </message>
</context>
<context>
    <name>oruvan::TextFinder</name>
    <message>
        <source>先頭から検索しました</source>
        <translation>Searched from the top</translation>
    </message>
    <message>
        <source>末尾から検索しました</source>
        <translation>Searched from the bottom</translation>
    </message>
    <message>
        <source>見つかりません</source>
        <translation>Not found</translation>
    </message>
    <message>
        <source>正規表現が複雑すぎるため、検索を中止しました</source>
        <translation>The search stopped: the regular expression is too complex</translation>
    </message>
    <message>
        <source>%1 件置換しました</source>
        <translation>%1 replaced</translation>
    </message>
</context>
<context>
    <name>oruvan::TextView</name>
    <message>
        <source>ファイル %1 は開けません</source>
        <translation>Cannot open the file %1</translation>
    </message>
    <message>
        <source>ファイル %1 を作成できません</source>
        <translation>Cannot create the file %1</translation>
    </message>
</context>
<context>
    <name>oruvan::WindowCommands</name>
    <message>
        <source>背景色の設定</source>
        <translation>Background Color</translation>
    </message>
    <message>
        <source>テキスト色の設定</source>
        <translation>Text Color</translation>
    </message>
</context>
<context>
    <name>oruvan::WindowSettings</name>
    <message>
        <source>%1 に書き込めません</source>
        <translation>Cannot write %1</translation>
    </message>
</context>
</TS>
