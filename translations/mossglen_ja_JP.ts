<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>EditViewBase</name>
    <message>
        <source>&apos;%1&apos; is not a valid regular expression: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;%1&apos; not found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find Loop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>reached begin/end of document.
search again from end/begin ?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FindReplaceDlg</name>
    <message>
        <source>FindReplaceDlg</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FindPat:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ReplaceTo:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>find&amp;Back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>find&amp;Forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace&amp;Next</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace&amp;All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re&amp;do</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;RegExp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;WordSearch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loop Option</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NoLoop (&amp;0)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirm (&amp;1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loop (&amp;2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ignore case</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ignore case if lower string</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>case sensitive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 replaced.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Outline</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FileSystem</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DockWidget</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>mossGlen version %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Untitled-%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Ruby source File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Web Files(*.html *.htm *.css *.js *.php);;HTML Files(*.html *.htm);;CSS Files(*.css);;JavaScript Files(*.js);;PHP Files(*.php *.phtml);;All Files(*.*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mossglen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The &apos;%1&apos; does not exists.
Do you want to create the document</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brackwen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The &apos;%1&apos; has been modified.
Do you want to save your changes?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Encoding of this doc</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Encoding of &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;div align=center&gt;&lt;b&gt;Mossglen&lt;/b&gt; version %1&lt;/div&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;%1 %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindowClass</name>
    <message>
        <source>MainWindow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RecentFiles(&amp;1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Encoding of this doc</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RecentDir(&amp;3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OpenFromRcentDir(&amp;2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;FavoriteFiles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Other</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;ShortText</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ConvertChar(&amp;X)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Navigation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Tool</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MainToolBar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+W</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RecentFile1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save&amp;As...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>F8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;LineNumber</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Z</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+R</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+X</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+V</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Find/Replace...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+F</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find&amp;Prev</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FindPrev</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shift+F3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find&amp;Next</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>F3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find&amp;Word</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+F3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Zen-Coding</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+,</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UTF&amp;8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UTF16&amp;LE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UTF16&amp;BE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;SJIS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;EUC</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>e&amp;Xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PreviousDoc(&amp;^)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+^</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text&amp;1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alt+1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text&amp;2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alt+2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text&amp;3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alt+3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text&amp;4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alt+4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text&amp;5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alt+5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text&amp;6</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alt+6</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text&amp;7</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alt+7</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text&amp;8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alt+8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text&amp;9</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alt+9</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text1&amp;0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alt+0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;DynamicCompletion</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+L</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Browse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>F12</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>recentdir</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>hoge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;AboutMossglen...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;MatchedParen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CloseTa&amp;gCompletion</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;TagJump</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>F9</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>addThisFile(&amp;@)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt; &gt; &amp;&amp; to &amp;&amp;lt; &amp;&amp;gt; &amp;&amp;amp; (&amp;M)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;&amp;lt; &amp;&amp;gt; &amp;&amp;amp; → &lt; &gt; &amp;&amp; (&amp;N)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;NextTab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;PrevTab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Shift+Tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OpenLine&amp;Above</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shift+Return</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OpenLine&amp;Below</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Return</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;viEnabled</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>NamedColorDlg</name>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>OutlineBar</name>
    <message>
        <source>&amp;Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy&amp;FullPath</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy&amp;Title</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsDlg</name>
    <message>
        <source>SettingsDlg</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;ShortText</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Other</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Font family/Point size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LineNumber:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LineNumberBG:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Comment:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Background:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SelText:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SelBG:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text Cursor:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HTML spcl char:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tag:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tag Ident:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>String:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RegExp:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Escaped Char:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quote Char:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Script Text:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Script Keyword:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>EOF:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>text1:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>text2:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>text3:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>text4:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>text5:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>text6:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>text7:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>text8:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>text9:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>text10:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Selected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Root Path:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ref...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SelectColor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NamedColor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select Root Path</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ZenCoding</name>
    <message>
        <source>The abbreviation is too large: its markup would exceed 1 MB.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
