<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>DocumentWatcher</name>
    <message>
        <source>save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has been changed on disk since it was read or saved.
Save and overwrite those changes?</source>
        <translation>「%1」は読み込みまたは保存の後にディスク上で変更されています。
保存してその変更を上書きしますか?</translation>
    </message>
    <message>
        <source>&apos;%1&apos; was deleted on disk; Save writes it again</source>
        <translation>「%1」はディスク上で削除されました。保存すると再び書き込まれます</translation>
    </message>
    <message>
        <source>&apos;%1&apos; was changed on disk and has been reloaded</source>
        <translation>「%1」がディスク上で変更されたため再読み込みしました</translation>
    </message>
    <message>
        <source>&apos;%1&apos; was changed on disk but could not be read</source>
        <translation>「%1」がディスク上で変更されましたが、読み込めませんでした</translation>
    </message>
    <message>
        <source>&apos;%1&apos; could not be read</source>
        <translation>「%1」を読み込めませんでした</translation>
    </message>
    <message>
        <source>&apos;%1&apos; was changed on disk; your text is kept</source>
        <translation>「%1」はディスク上で変更されました。編集中の内容はそのまま残しています</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has been changed on disk by another program, and you have unsaved changes here. Reload replaces your text with the file (Undo brings it back).</source>
        <translation>「%1」は他のプログラムによってディスク上で変更されましたが、ここには保存していない変更があります。「再読み込み」を押すとファイルの内容に置き換わります (元に戻すで編集内容が戻ります)。</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has been reloaded; Undo brings your text back</source>
        <translation>「%1」を再読み込みしました。元に戻すで編集内容が戻ります</translation>
    </message>
    <message>
        <source>&amp;Keep my text</source>
        <translation>編集内容を残す(&amp;K)</translation>
    </message>
    <message>
        <source>&amp;Reload</source>
        <translation>再読み込み(&amp;R)</translation>
    </message>
</context>
<context>
    <name>EditView</name>
    <message>
        <source>No matched keyword.</source>
        <translation>一致するキーワードがありません。</translation>
    </message>
</context>
<context>
    <name>EditViewBase</name>
    <message>
        <source>&apos;%1&apos; is not a valid regular expression: %2</source>
        <translation>「%1」は正しい正規表現ではありません: %2</translation>
    </message>
    <message>
        <source>&apos;%1&apos; not found.</source>
        <translation>「%1」が見つかりません。</translation>
    </message>
    <message>
        <source>Find Loop</source>
        <translation>検索の折り返し</translation>
    </message>
    <message>
        <source>reached begin/end of document.
search again from end/begin ?</source>
        <translation>ドキュメントの先頭/末尾に達しました。
末尾/先頭から検索を続けますか?</translation>
    </message>
    <message>
        <source>%1 with BOM</source>
        <translation>%1 (BOM付き)</translation>
    </message>
</context>
<context>
    <name>FindReplaceDlg</name>
    <message>
        <source>&amp;Undo</source>
        <translation>元に戻す(&amp;U)</translation>
    </message>
    <message>
        <source>Re&amp;do</source>
        <translation>やり直し(&amp;D)</translation>
    </message>
    <message>
        <source>%1 replaced.</source>
        <translation>%1 件置換しました。</translation>
    </message>
    <message>
        <source>Find and Replace</source>
        <translation>検索と置換</translation>
    </message>
    <message>
        <source>&amp;Search for:</source>
        <translation>検索する文字列(&amp;S):</translation>
    </message>
    <message>
        <source>Replace wi&amp;th:</source>
        <translation>置換後の文字列(&amp;T):</translation>
    </message>
    <message>
        <source>&amp;Letter case:</source>
        <translation>大文字と小文字(&amp;L):</translation>
    </message>
    <message>
        <source>&amp;Regular expression</source>
        <translation>正規表現(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Whole words</source>
        <translation>単語単位(&amp;W)</translation>
    </message>
    <message>
        <source>At the end of the document</source>
        <translation>文書の端まで来たら</translation>
    </message>
    <message>
        <source>Stop (&amp;0)</source>
        <translation>止まる(&amp;0)</translation>
    </message>
    <message>
        <source>Ask whether to go on (&amp;1)</source>
        <translation>続けるか確認する(&amp;1)</translation>
    </message>
    <message>
        <source>Go on from the other end (&amp;2)</source>
        <translation>反対の端から続ける(&amp;2)</translation>
    </message>
    <message>
        <source>Find &amp;Backward</source>
        <translation>前を検索(&amp;B)</translation>
    </message>
    <message>
        <source>Find &amp;Forward</source>
        <translation>次を検索(&amp;F)</translation>
    </message>
    <message>
        <source>Replace &amp;Next</source>
        <translation>置換して次へ(&amp;N)</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>すべて置換(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>閉じる(&amp;C)</translation>
    </message>
    <message>
        <source>Ignore case</source>
        <translation>区別しない</translation>
    </message>
    <message>
        <source>Ignore case unless the text has capitals</source>
        <translation>大文字を含むときだけ区別する</translation>
    </message>
    <message>
        <source>Match case</source>
        <translation>区別する</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Outline</source>
        <translation>アウトライン</translation>
    </message>
    <message>
        <source>mossGlen version %1</source>
        <translation>mossGlen バージョン %1</translation>
    </message>
    <message>
        <source>Untitled-%1</source>
        <translation>無題-%1</translation>
    </message>
    <message>
        <source>Mossglen</source>
        <translation>Mossglen</translation>
    </message>
    <message>
        <source>&lt;div align=center&gt;&lt;b&gt;Mossglen&lt;/b&gt; version %1&lt;/div&gt;</source>
        <translation>&lt;div align=center&gt;&lt;b&gt;Mossglen&lt;/b&gt; バージョン %1&lt;/div&gt;</translation>
    </message>
    <message>
        <source>&amp;%1 %2</source>
        <translation>&amp;%1 %2</translation>
    </message>
    <message>
        <source>The kept changes of &apos;%1&apos; cannot be read; the file %2 is left as it is.</source>
        <translation>「%1」の保管された変更を読み込めません。ファイル %2 はそのまま残します。</translation>
    </message>
    <message numerus="yes">
        <source>%n document(s) restored with their unsaved changes</source>
        <translation>
            <numerusform>%n 個のドキュメントを未保存の変更とともに復元しました</numerusform>
        </translation>
    </message>
    <message>
        <source>the system encoding</source>
        <translation>システムの文字コード</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has bytes that are not valid %2; they were replaced</source>
        <translation>「%1」に %2 として不正なバイトがあったため、置き換えました</translation>
    </message>
    <message>
        <source>&apos;%1&apos; contains NUL characters; it may be a binary file</source>
        <translation>「%1」には NUL 文字が含まれています。バイナリファイルかもしれません</translation>
    </message>
    <message>
        <source>save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>&apos;%1&apos; had bytes that are not valid %2 when it was read; they were replaced.</source>
        <translation>「%1」には読み込んだ時点で %2 として不正なバイトがあり、置き換えられています。</translation>
    </message>
    <message>
        <source>&apos;%1&apos; contained NUL characters when it was read; it may be a binary file.</source>
        <translation>「%1」には読み込んだ時点で NUL 文字が含まれていました。バイナリファイルかもしれません。</translation>
    </message>
    <message>
        <source>Saving overwrites the original bytes. Save anyway?</source>
        <translation>保存すると元のバイト列が上書きされます。このまま保存しますか?</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>フォルダーです</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>通常のファイルではありません</translation>
    </message>
    <message>
        <source>it could not be read</source>
        <translation>読み込めませんでした</translation>
    </message>
    <message>
        <source>&apos;%1&apos; cannot be opened: %2</source>
        <translation>「%1」を開けません: %2</translation>
    </message>
    <message>
        <source>The recovery file %1 is damaged and cannot be offered; it is left as it is.</source>
        <translation>復元用ファイル %1 は壊れているため復元できません。ファイルはそのまま残してあります。</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is in a folder where no new file can be made, so it cannot be saved safely: if writing stops half-way (disk full, power cut), the file is damaged.
Write over the file in place?</source>
        <translation>「%1」は新しいファイルを作れないフォルダーにあるため、安全に保存できません。書き込みが途中で止まると (ディスクの空き不足、停電など) ファイルが壊れます。
ファイルに直接上書きしますか?</translation>
    </message>
    <message>
        <source>failed to save file &apos;%1&apos;:
%2</source>
        <translation>ファイル「%1」を保存できませんでした:
%2</translation>
    </message>
    <message>
        <source>Byte-order &amp;mark</source>
        <translation>バイト順マーク(&amp;M)</translation>
    </message>
    <message>
        <source>&amp;Line ends</source>
        <translation>改行コード(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;LF (Linux, macOS)</source>
        <translation>LF (Linux, macOS)(&amp;L)</translation>
    </message>
    <message>
        <source>C&amp;RLF (Windows)</source>
        <translation>CRLF (Windows)(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;CR (classic Mac OS)</source>
        <translation>CR (旧 Mac OS)(&amp;C)</translation>
    </message>
    <message>
        <source>Reopen &amp;with encoding</source>
        <translation>文字コードを指定して開き直す(&amp;W)</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has changes that are not saved.
Read it again from disk as %2 and lose them?</source>
        <translation>「%1」には保存していない変更があります。
%2 としてディスクから読み直し、変更を破棄しますか?</translation>
    </message>
    <message>
        <source>&amp;Reopen and lose changes</source>
        <translation>破棄して開き直す(&amp;R)</translation>
    </message>
    <message>
        <source>the file no longer exists</source>
        <translation>ファイルがもうありません</translation>
    </message>
    <message>
        <source>the file cannot be read</source>
        <translation>ファイルを読めません</translation>
    </message>
    <message>
        <source>Cannot reopen &apos;%1&apos;: %2.</source>
        <translation>「%1」を開き直せません: %2。</translation>
    </message>
    <message>
        <source>%1, told by its byte-order mark</source>
        <translation>%1 (バイト順マークで判定)</translation>
    </message>
    <message>
        <source>%1, told by its zero bytes</source>
        <translation>%1 (ゼロバイトの並びで判定)</translation>
    </message>
    <message>
        <source>%1 without byte-order mark, told by its characters</source>
        <translation>BOMなしの %1 (文字の種類で判定)</translation>
    </message>
    <message>
        <source>%1, as the page declares</source>
        <translation>%1 (ページの宣言による)</translation>
    </message>
    <message>
        <source>%1, found by scanning its bytes</source>
        <translation>%1 (バイト列の走査で判定)</translation>
    </message>
    <message>
        <source>plain ASCII, opened as %1</source>
        <translation>ASCII のみ。%1 として開きました</translation>
    </message>
    <message>
        <source>%1, a guess: nothing in the bytes decides</source>
        <translation>%1 (推測: バイト列からは決まりません)</translation>
    </message>
    <message>
        <source>%1, as chosen</source>
        <translation>%1 (指定による)</translation>
    </message>
    <message>
        <source>&apos;%1&apos; declares its encoding as %2 but is saved in %3.
Change the declaration to %4?</source>
        <translation>「%1」は文字コードを %2 と宣言していますが、%3 で保存されます。
宣言を %4 に書き換えますか?</translation>
    </message>
    <message>
        <source>Opened &apos;%1&apos;: %2, %3</source>
        <translation>「%1」を開きました: %2、%3</translation>
    </message>
    <message>
        <source>Mixed line ends (LF %1, CRLF %2, CR %3) are saved as %4</source>
        <translation>改行コードが混在しています (LF %1、CRLF %2、CR %3)。%4 で保存します</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has characters that %2 writes back as other bytes</source>
        <translation>「%1」には、%2 では元と違うバイトで書き戻される文字があります</translation>
    </message>
    <message>
        <source>Some characters of &apos;%1&apos; cannot be written in %2 and would be replaced.</source>
        <translation>「%1」の一部の文字は %2 で書けないため、置き換えられます。</translation>
    </message>
    <message>
        <source>Write them as character references (&amp;#x...;), save anyway, or cancel and choose another encoding?</source>
        <translation>文字参照 (&amp;#x...;) で書きますか、そのまま保存しますか、それともキャンセルして別の文字コードを選びますか?</translation>
    </message>
    <message>
        <source>Save anyway, or cancel and choose another encoding?</source>
        <translation>このまま保存しますか、それともキャンセルして別の文字コードを選びますか?</translation>
    </message>
    <message>
        <source>Write as &amp;references</source>
        <translation>文字参照で書く(&amp;R)</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has characters that %2 writes back as other bytes than were read.</source>
        <translation>「%1」には、%2 では読み込んだときと違うバイトで書き戻される文字があります。</translation>
    </message>
    <message>
        <source>No write since last change (add ! to override)</source>
        <translation>最後の変更が保存されていません (! で変更を破棄して閉じます)</translation>
    </message>
    <message>
        <source>File System</source>
        <translation>ファイルシステム</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>ツールバー(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Panels</source>
        <translation>パネル(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Outline</source>
        <translation>アウトライン(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;File System</source>
        <translation>ファイルシステム(&amp;F)</translation>
    </message>
    <message>
        <source>Web Files (*.html *.htm *.css *.js *.php *.phtml);;HTML Files (*.html *.htm);;CSS Files (*.css);;JavaScript Files (*.js);;PHP Files (*.php *.phtml);;All Files (*)</source>
        <translation>Web ファイル (*.html *.htm *.css *.js *.php *.phtml);;HTML ファイル (*.html *.htm);;CSS ファイル (*.css);;JavaScript ファイル (*.js);;PHP ファイル (*.php *.phtml);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>ファイルを開く</translation>
    </message>
    <message>
        <source>&apos;%1&apos; does not exist.
Do you want to create it?</source>
        <translation>「%1」はありません。
新しく作りますか?</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has been modified.
Do you want to save your changes?</source>
        <translation>「%1」は変更されています。
変更を保存しますか?</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>名前を付けて保存</translation>
    </message>
    <message>
        <source>&amp;Encoding of This Document</source>
        <translation>このドキュメントの文字コード(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Encoding of &apos;%1&apos;</source>
        <translation>「%1」の文字コード(&amp;E)</translation>
    </message>
    <message>
        <source>Go to Line</source>
        <translation>指定行へ移動</translation>
    </message>
    <message>
        <source>&amp;Line number (1-%1):</source>
        <translation>行番号 (1-%1)(&amp;L):</translation>
    </message>
    <message>
        <source>The page could not be written for the browser: %1</source>
        <translation>ブラウザーに渡すページを書き出せませんでした: %1</translation>
    </message>
    <message>
        <source>No web browser could be started to show %1</source>
        <translation>%1 を表示する Web ブラウザーを起動できませんでした</translation>
    </message>
    <message>
        <source>Saved %1 (%2)</source>
        <translation>%1 を保存しました (%2)</translation>
    </message>
</context>
<context>
    <name>MainWindowClass</name>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Other</source>
        <translation>その他(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Navigation</source>
        <translation>検索(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>ウィンドウ(&amp;W)</translation>
    </message>
    <message>
        <source>&amp;Tool</source>
        <translation>ツール(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>新規作成(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>開く(&amp;O)...</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>閉じる(&amp;C)</translation>
    </message>
    <message>
        <source>Ctrl+W</source>
        <translation>Ctrl+W</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>上書き保存(&amp;S)</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation>Ctrl+S</translation>
    </message>
    <message>
        <source>F8</source>
        <translation>F8</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>元に戻す(&amp;U)</translation>
    </message>
    <message>
        <source>Ctrl+Z</source>
        <translation>Ctrl+Z</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>やり直し(&amp;R)</translation>
    </message>
    <message>
        <source>Ctrl+R</source>
        <translation>Ctrl+R</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>切り取り(&amp;T)</translation>
    </message>
    <message>
        <source>Ctrl+X</source>
        <translation>Ctrl+X</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>コピー(&amp;C)</translation>
    </message>
    <message>
        <source>Ctrl+C</source>
        <translation>Ctrl+C</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>貼り付け(&amp;P)</translation>
    </message>
    <message>
        <source>Ctrl+V</source>
        <translation>Ctrl+V</translation>
    </message>
    <message>
        <source>Ctrl+F</source>
        <translation>Ctrl+F</translation>
    </message>
    <message>
        <source>Shift+F3</source>
        <translation>Shift+F3</translation>
    </message>
    <message>
        <source>F3</source>
        <translation>F3</translation>
    </message>
    <message>
        <source>Ctrl+F3</source>
        <translation>Ctrl+F3</translation>
    </message>
    <message>
        <source>&amp;Zen-Coding</source>
        <translation>Zen-Coding(&amp;Z)</translation>
    </message>
    <message>
        <source>Ctrl+,</source>
        <translation>Ctrl+,</translation>
    </message>
    <message>
        <source>Ctrl+^</source>
        <translation>Ctrl+^</translation>
    </message>
    <message>
        <source>Alt+1</source>
        <translation>Alt+1</translation>
    </message>
    <message>
        <source>Alt+2</source>
        <translation>Alt+2</translation>
    </message>
    <message>
        <source>Alt+3</source>
        <translation>Alt+3</translation>
    </message>
    <message>
        <source>Alt+4</source>
        <translation>Alt+4</translation>
    </message>
    <message>
        <source>Alt+5</source>
        <translation>Alt+5</translation>
    </message>
    <message>
        <source>Alt+6</source>
        <translation>Alt+6</translation>
    </message>
    <message>
        <source>Alt+7</source>
        <translation>Alt+7</translation>
    </message>
    <message>
        <source>Alt+8</source>
        <translation>Alt+8</translation>
    </message>
    <message>
        <source>Alt+9</source>
        <translation>Alt+9</translation>
    </message>
    <message>
        <source>Alt+0</source>
        <translation>Alt+0</translation>
    </message>
    <message>
        <source>Ctrl+L</source>
        <translation>Ctrl+L</translation>
    </message>
    <message>
        <source>F12</source>
        <translation>F12</translation>
    </message>
    <message>
        <source>Ctrl+]</source>
        <translation>Ctrl+]</translation>
    </message>
    <message>
        <source>Ctrl+;</source>
        <translation>Ctrl+;</translation>
    </message>
    <message>
        <source>F9</source>
        <translation>F9</translation>
    </message>
    <message>
        <source>Ctrl+Tab</source>
        <translation>Ctrl+Tab</translation>
    </message>
    <message>
        <source>Ctrl+Shift+Tab</source>
        <translation>Ctrl+Shift+Tab</translation>
    </message>
    <message>
        <source>Shift+Return</source>
        <translation>Shift+Return</translation>
    </message>
    <message>
        <source>Ctrl+Return</source>
        <translation>Ctrl+Return</translation>
    </message>
    <message>
        <source>Mossglen</source>
        <translation>Mossglen</translation>
    </message>
    <message>
        <source>Recent &amp;Files</source>
        <translation>最近使ったファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Encoding of This Document</source>
        <translation>このドキュメントの文字コード(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Recent Folders</source>
        <translation>最近使ったフォルダー(&amp;R)</translation>
    </message>
    <message>
        <source>Open from Recent Fol&amp;der</source>
        <translation>最近使ったフォルダーから開く(&amp;D)</translation>
    </message>
    <message>
        <source>Fa&amp;vorites</source>
        <translation>お気に入り(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Snippets</source>
        <translation>定型文(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Markup Characters</source>
        <translation>特殊文字の変換(&amp;M)</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>ツールバー</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>名前を付けて保存(&amp;A)...</translation>
    </message>
    <message>
        <source>Ctrl+Shift+S</source>
        <translation>Ctrl+Shift+S</translation>
    </message>
    <message>
        <source>&amp;Settings...</source>
        <translation>設定(&amp;S)...</translation>
    </message>
    <message>
        <source>&amp;Line Numbers</source>
        <translation>行番号(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Find and Replace...</source>
        <translation>検索と置換(&amp;F)...</translation>
    </message>
    <message>
        <source>Find &amp;Previous</source>
        <translation>前を検索(&amp;P)</translation>
    </message>
    <message>
        <source>Find the previous match</source>
        <translation>前の一致箇所を検索</translation>
    </message>
    <message>
        <source>Find &amp;Next</source>
        <translation>次を検索(&amp;N)</translation>
    </message>
    <message>
        <source>Find &amp;Word at Cursor</source>
        <translation>カーソル位置の単語を検索(&amp;W)</translation>
    </message>
    <message>
        <source>UTF-&amp;8</source>
        <translation>UTF-&amp;8</translation>
    </message>
    <message>
        <source>UTF-16 &amp;LE</source>
        <translation>UTF-16 &amp;LE</translation>
    </message>
    <message>
        <source>UTF-16 &amp;BE</source>
        <translation>UTF-16 &amp;BE</translation>
    </message>
    <message>
        <source>&amp;EUC-JP</source>
        <translation>&amp;EUC-JP</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>&amp;Last Document</source>
        <translation>直前のドキュメント(&amp;L)</translation>
    </message>
    <message>
        <source>Snippet &amp;1</source>
        <translation>定型文 1(&amp;1)</translation>
    </message>
    <message>
        <source>Snippet &amp;2</source>
        <translation>定型文 2(&amp;2)</translation>
    </message>
    <message>
        <source>Snippet &amp;3</source>
        <translation>定型文 3(&amp;3)</translation>
    </message>
    <message>
        <source>Snippet &amp;4</source>
        <translation>定型文 4(&amp;4)</translation>
    </message>
    <message>
        <source>Snippet &amp;5</source>
        <translation>定型文 5(&amp;5)</translation>
    </message>
    <message>
        <source>Snippet &amp;6</source>
        <translation>定型文 6(&amp;6)</translation>
    </message>
    <message>
        <source>Snippet &amp;7</source>
        <translation>定型文 7(&amp;7)</translation>
    </message>
    <message>
        <source>Snippet &amp;8</source>
        <translation>定型文 8(&amp;8)</translation>
    </message>
    <message>
        <source>Snippet &amp;9</source>
        <translation>定型文 9(&amp;9)</translation>
    </message>
    <message>
        <source>Snippet 1&amp;0</source>
        <translation>定型文 10(&amp;0)</translation>
    </message>
    <message>
        <source>&amp;Dynamic Completion</source>
        <translation>文書中の単語で補完(&amp;D)</translation>
    </message>
    <message>
        <source>&amp;View in Browser</source>
        <translation>ブラウザーで表示(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;About Mossglen...</source>
        <translation>Mossglen について(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;Matching Bracket</source>
        <translation>対応する括弧へ移動(&amp;M)</translation>
    </message>
    <message>
        <source>Close the Open Ta&amp;g</source>
        <translation>開いているタグを閉じる(&amp;G)</translation>
    </message>
    <message>
        <source>&amp;Tag Jump</source>
        <translation>タグジャンプ(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Add This File</source>
        <translation>このファイルを追加(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Escape &lt; &gt; &amp;&amp; as &amp;&amp;lt; &amp;&amp;gt; &amp;&amp;amp;</source>
        <translation>&lt; &gt; &amp;&amp; を &amp;&amp;lt; &amp;&amp;gt; &amp;&amp;amp; に変換(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Unescape &amp;&amp;lt; &amp;&amp;gt; &amp;&amp;amp; to &lt; &gt; &amp;&amp;</source>
        <translation>&amp;&amp;lt; &amp;&amp;gt; &amp;&amp;amp; を &lt; &gt; &amp;&amp; に戻す(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Next Tab</source>
        <translation>次のタブ(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Previous Tab</source>
        <translation>前のタブ(&amp;P)</translation>
    </message>
    <message>
        <source>Open Line &amp;Above</source>
        <translation>上に行を挿入(&amp;A)</translation>
    </message>
    <message>
        <source>Open Line &amp;Below</source>
        <translation>下に行を挿入(&amp;B)</translation>
    </message>
    <message>
        <source>&amp;vi Key Bindings</source>
        <translation>vi のキー操作(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Go to Line...</source>
        <translation>指定行へ移動(&amp;G)...</translation>
    </message>
    <message>
        <source>Ctrl+G</source>
        <translation>Ctrl+G</translation>
    </message>
    <message>
        <source>Zoom &amp;In</source>
        <translation>拡大(&amp;I)</translation>
    </message>
    <message>
        <source>Ctrl++</source>
        <translation>Ctrl++</translation>
    </message>
    <message>
        <source>Zoom &amp;Out</source>
        <translation>縮小(&amp;O)</translation>
    </message>
    <message>
        <source>Ctrl+-</source>
        <translation>Ctrl+-</translation>
    </message>
    <message>
        <source>&amp;Reset Zoom</source>
        <translation>元のサイズに戻す(&amp;R)</translation>
    </message>
    <message>
        <source>Ctrl+0</source>
        <translation>Ctrl+0</translation>
    </message>
    <message>
        <source>&amp;Shift-JIS</source>
        <translation>&amp;Shift-JIS</translation>
    </message>
</context>
<context>
    <name>MessageBar</name>
    <message>
        <source>&amp;Dismiss</source>
        <translation>閉じる(&amp;D)</translation>
    </message>
</context>
<context>
    <name>NamedColorDlg</name>
    <message>
        <source>Named Colors</source>
        <translation>色の名前</translation>
    </message>
    <message>
        <source>Names beginning with...</source>
        <translation>名前の先頭で絞り込み...</translation>
    </message>
</context>
<context>
    <name>OutlineBar</name>
    <message>
        <source>&amp;Close</source>
        <translation>閉じる(&amp;C)</translation>
    </message>
    <message>
        <source>Copy &amp;Full Path</source>
        <translation>フルパスをコピー(&amp;F)</translation>
    </message>
    <message>
        <source>Copy &amp;Title</source>
        <translation>タイトルをコピー(&amp;T)</translation>
    </message>
</context>
<context>
    <name>RecoveryDlg</name>
    <message>
        <source>Recover unsaved changes</source>
        <translation>未保存の変更の復元</translation>
    </message>
    <message>
        <source>Mossglen did not end normally. The unsaved changes of these documents were kept:</source>
        <translation>Mossglen は正常に終了しませんでした。次のドキュメントの未保存の変更が保管されています:</translation>
    </message>
    <message>
        <source>Document</source>
        <translation>ドキュメント</translation>
    </message>
    <message>
        <source>Last change</source>
        <translation>最終変更</translation>
    </message>
    <message>
        <source>Encoding</source>
        <translation>文字コード</translation>
    </message>
    <message>
        <source>%1 (never saved)</source>
        <translation>%1 (未保存の新規ドキュメント)</translation>
    </message>
    <message>
        <source>Checked documents are restored, each in a tab of its own and marked modified; unchecked ones are discarded.</source>
        <translation>チェックしたドキュメントはそれぞれ別のタブに変更ありとして復元され、チェックしていないものは破棄されます。</translation>
    </message>
    <message>
        <source>&amp;Restore</source>
        <translation>復元(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Discard All</source>
        <translation>すべて破棄(&amp;D)</translation>
    </message>
    <message>
        <source>Decide &amp;Later</source>
        <translation>後で決める(&amp;L)</translation>
    </message>
    <message>
        <source>Mossglen</source>
        <translation>Mossglen</translation>
    </message>
    <message numerus="yes">
        <source>The unsaved changes of %n document(s) will be lost.
Discard them?</source>
        <translation>
            <numerusform>%n 個のドキュメントの未保存の変更が失われます。
破棄しますか?</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RecoveryJournal</name>
    <message>
        <source>The recovery copy of &apos;%1&apos; could not be written to %2</source>
        <translation>「%1」の復元用コピーを %2 に書き込めませんでした</translation>
    </message>
</context>
<context>
    <name>SettingsDlg</name>
    <message>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Other</source>
        <translation>その他(&amp;O)</translation>
    </message>
    <message>
        <source>Comment:</source>
        <translation>コメント:</translation>
    </message>
    <message>
        <source>Text:</source>
        <translation>テキスト:</translation>
    </message>
    <message>
        <source>Background:</source>
        <translation>背景:</translation>
    </message>
    <message>
        <source>Tag:</source>
        <translation>タグ:</translation>
    </message>
    <message>
        <source>String:</source>
        <translation>文字列:</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>&amp;Snippets</source>
        <translation>定型文(&amp;S)</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>文字</translation>
    </message>
    <message>
        <source>&amp;Font:</source>
        <translation>フォント(&amp;F):</translation>
    </message>
    <message>
        <source>Si&amp;ze:</source>
        <translation>サイズ(&amp;Z):</translation>
    </message>
    <message>
        <source>&amp;Tab width:</source>
        <translation>タブ幅(&amp;T):</translation>
    </message>
    <message>
        <source>Colors</source>
        <translation>色</translation>
    </message>
    <message>
        <source>&amp;Line numbers:</source>
        <translation>行番号(&amp;L):</translation>
    </message>
    <message>
        <source>Number margin:</source>
        <translation>行番号の背景:</translation>
    </message>
    <message>
        <source>Selected text:</source>
        <translation>選択中の文字:</translation>
    </message>
    <message>
        <source>Selection:</source>
        <translation>選択範囲の背景:</translation>
    </message>
    <message>
        <source>Cursor:</source>
        <translation>カーソル:</translation>
    </message>
    <message>
        <source>Character reference:</source>
        <translation>文字参照:</translation>
    </message>
    <message>
        <source>Attribute:</source>
        <translation>属性:</translation>
    </message>
    <message>
        <source>Regular expression:</source>
        <translation>正規表現:</translation>
    </message>
    <message>
        <source>Escaped character:</source>
        <translation>エスケープ文字:</translation>
    </message>
    <message>
        <source>Quote:</source>
        <translation>引用符:</translation>
    </message>
    <message>
        <source>Script:</source>
        <translation>スクリプト:</translation>
    </message>
    <message>
        <source>Script keyword:</source>
        <translation>スクリプトのキーワード:</translation>
    </message>
    <message>
        <source>End of file:</source>
        <translation>ファイルの終わり:</translation>
    </message>
    <message>
        <source>CSS selector:</source>
        <translation>CSS セレクター:</translation>
    </message>
    <message>
        <source>CSS at-rule:</source>
        <translation>CSS @規則:</translation>
    </message>
    <message>
        <source>CSS value:</source>
        <translation>CSS の値:</translation>
    </message>
    <message>
        <source>CSS number:</source>
        <translation>CSS の数値:</translation>
    </message>
    <message>
        <source>CSS !important:</source>
        <translation>CSS !important:</translation>
    </message>
    <message>
        <source>PHP variable:</source>
        <translation>PHP の変数:</translation>
    </message>
    <message>
        <source>Inserted as they are</source>
        <translation>そのまま挿入</translation>
    </message>
    <message>
        <source>Snippet &amp;1:</source>
        <translation>定型文 1(&amp;1):</translation>
    </message>
    <message>
        <source>Snippet &amp;2:</source>
        <translation>定型文 2(&amp;2):</translation>
    </message>
    <message>
        <source>Snippet &amp;3:</source>
        <translation>定型文 3(&amp;3):</translation>
    </message>
    <message>
        <source>Snippet &amp;4:</source>
        <translation>定型文 4(&amp;4):</translation>
    </message>
    <message>
        <source>Snippet &amp;5:</source>
        <translation>定型文 5(&amp;5):</translation>
    </message>
    <message>
        <source>Snippet &amp;6:</source>
        <translation>定型文 6(&amp;6):</translation>
    </message>
    <message>
        <source>Snippet &amp;7:</source>
        <translation>定型文 7(&amp;7):</translation>
    </message>
    <message>
        <source>Snippet &amp;8:</source>
        <translation>定型文 8(&amp;8):</translation>
    </message>
    <message>
        <source>Snippet &amp;9:</source>
        <translation>定型文 9(&amp;9):</translation>
    </message>
    <message>
        <source>Snippet 1&amp;0:</source>
        <translation>定型文 10(&amp;0):</translation>
    </message>
    <message>
        <source>Around a selection (before,after)</source>
        <translation>選択範囲を囲む (前,後)</translation>
    </message>
    <message>
        <source>Snippet 1:</source>
        <translation>定型文 1:</translation>
    </message>
    <message>
        <source>Snippet 2:</source>
        <translation>定型文 2:</translation>
    </message>
    <message>
        <source>Snippet 3:</source>
        <translation>定型文 3:</translation>
    </message>
    <message>
        <source>Snippet 4:</source>
        <translation>定型文 4:</translation>
    </message>
    <message>
        <source>Snippet 5:</source>
        <translation>定型文 5:</translation>
    </message>
    <message>
        <source>Snippet 6:</source>
        <translation>定型文 6:</translation>
    </message>
    <message>
        <source>Snippet 7:</source>
        <translation>定型文 7:</translation>
    </message>
    <message>
        <source>Snippet 8:</source>
        <translation>定型文 8:</translation>
    </message>
    <message>
        <source>Snippet 9:</source>
        <translation>定型文 9:</translation>
    </message>
    <message>
        <source>Snippet 10:</source>
        <translation>定型文 10:</translation>
    </message>
    <message>
        <source>Document &amp;root:</source>
        <translation>ドキュメントルート(&amp;R):</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>参照(&amp;B)...</translation>
    </message>
    <message>
        <source>&amp;Choose Color...</source>
        <translation>色を選ぶ(&amp;C)...</translation>
    </message>
    <message>
        <source>&amp;Named Color...</source>
        <translation>名前で選ぶ(&amp;N)...</translation>
    </message>
    <message>
        <source>Choose the Document Root</source>
        <translation>ドキュメントルートを選ぶ</translation>
    </message>
</context>
<context>
    <name>ViEngine</name>
    <message>
        <source>Count limited to %1</source>
        <translation>回数を %1 に制限しました</translation>
    </message>
    <message>
        <source>Pattern not found: %1</source>
        <translation>パターンが見つかりません: %1</translation>
    </message>
    <message>
        <source>Search wrapped around the end of the document</source>
        <translation>文書の端を越えて検索を続けました</translation>
    </message>
    <message>
        <source>No previous search pattern</source>
        <translation>前回の検索パターンがありません</translation>
    </message>
    <message>
        <source>No file name</source>
        <translation>ファイル名がありません</translation>
    </message>
    <message>
        <source>Not an editor command: %1</source>
        <translation>エディタのコマンドではありません: %1</translation>
    </message>
    <message>
        <source>%1 substitutions</source>
        <translation>%1 箇所を置換しました</translation>
    </message>
    <message>
        <source>Substitution with confirmation is not available: use Replace Next in Find and Replace</source>
        <translation>確認しながらの置換はできません。「検索と置換」の「置換して次へ」をお使いください</translation>
    </message>
    <message>
        <source>No word under the cursor</source>
        <translation>カーソル位置に単語がありません</translation>
    </message>
</context>
<context>
    <name>ZenCoding</name>
    <message>
        <source>The abbreviation is too large: its markup would exceed 1 MB.</source>
        <translation>省略記法が大きすぎます。展開すると 1 MB を超えます。</translation>
    </message>
</context>
</TS>
