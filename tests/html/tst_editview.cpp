// The HTML view's document commands: template, character references, tag
// jump, anchors, Zen-Coding, the completion helpers, and the main window's
// menu commands that reach them.
//
// Documents are written with "^" for the cursor and "[" "]" around a
// selection.

#include "app/mainwindow.h"
#include "editor/datapaths.h"
#include "editor/globalsettings.h"
#include "highlight/htmlscanner.h"
#include "editor/virtualbreaks.h"
#include "highlight/viengine.h"
#include "html/editview.h"
#include "html/zencoding.h"
#include "testsupport.h"

#include <QAction>
#include <QDir>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

namespace {

QString unmarked(QString text)
{
    return text.remove(u'^').remove(u'[').remove(u']');
}

void setBlockStates(EditView &view, const QList<int> &states)
{
    QTextBlock block = view.document()->begin();
    for (int state : states) {
        QVERIFY(block.isValid());
        block.setUserState(state);
        block = block.next();
    }
}

// A marked text ("^" the cursor) with its long lines cut into pieces of ten.
void setCutMarked(EditView &view, const QString &marked)
{
    view.virtualBreaks()->setLimits(40, 10);
    view.loadText(unmarked(marked));
    QVERIFY(view.virtualBreaks()->hasBreaks());
    QTextCursor cursor(view.document());
    cursor.setPosition(view.virtualBreaks()->toDocument(int(marked.indexOf(u'^'))));
    view.setTextCursor(cursor);
}

QString cutMarked(const EditView &view)
{
    return view.realText().insert(view.virtualBreaks()->toReal(view.textCursor().position()), u'^');
}

const QString LongLine = QStringLiteral("alpha bravo charlie delta echo foxtrot golf hotel india juliet");

} // namespace

class TestEditView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void insertTemplate_data();
    void insertTemplate();
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void roundTrip_data();
    void roundTrip();
    void tagJump_data();
    void tagJump();
    void jumpToAnchor_data();
    void jumpToAnchor();
    void closeTagCandidates_data();
    void closeTagCandidates();
    void insertCompletion_data();
    void insertCompletion();
    void tagAtCursor_data();
    void tagAtCursor();
    void isStyleContext_data();
    void isStyleContext();
    void listItemCandidates_data();
    void listItemCandidates();
    void zenCoding_data();
    void zenCoding();
    void zenCodingOnEmptyDocument();
    void candidatesAcrossBreaks_data();
    void candidatesAcrossBreaks();
    void commandsAcrossBreaks_data();
    void commandsAcrossBreaks();
    void menuCommands_data();
    void menuCommands();
    void menuCommandsWithoutView();
    void menuTagJumpOpensFileAtAnchor();

private:
    GlobalSettings *settings = nullptr;
    ViEngine *engine = nullptr;
    EditView *view = nullptr;
    QTemporaryDir *keywordDir = nullptr;
};

void TestEditView::init()
{
    settings = new GlobalSettings;
    engine = new ViEngine;
    view = new EditView(settings, engine);
    keywordDir = new QTemporaryDir;
    QVERIFY(keywordDir->isValid());
    view->setKeywordDir(keywordDir->path());
}

void TestEditView::cleanup()
{
    delete view;
    delete engine;
    delete settings;
    delete keywordDir;
}

void TestEditView::insertTemplate_data()
{
    // Without a file the built-in page goes in; zenCodingOnEmptyDocument checks it.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");

    QTest::newRow("file, first empty line") << QByteArray("<p>\n\n<b>\n\n</p>")
                                            << QStringLiteral("<p>\n^\n<b>\n\n</p>");
    QTest::newRow("file without empty line ends on the last line")
        << QByteArray("<p>\n</p>\n") << QStringLiteral("<p>\n</p>\n^");
    QTest::newRow("file without any line feed") << QByteArray("<p></p>") << QStringLiteral("<p></p>^");
    QTest::newRow("UTF-8 text, no variables replaced")
        << QByteArray("<title>\xc3\xa9t\xc3\xa9 $TITLE</title>\n\n")
        << QStringLiteral("<title>\u00e9t\u00e9 $TITLE</title>\n^\n");
    QTest::newRow("CRLF line ends become LF") << QByteArray("<p>\r\n\r\n</p>\r\n")
                                              << QStringLiteral("<p>\n^\n</p>\n");
}

void TestEditView::insertTemplate()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    QVERIFY(writeFile(keywordDir->filePath(QStringLiteral("template.html")), file));
    view->insertTemplate();
    QCOMPARE(marked(*view), expected);
}

void TestEditView::encode_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("whole document") << "a < b && c ^> d" << "a &lt; b &amp;&amp; c &gt;^ d";
    QTest::newRow("references are encoded again") << "&lt;^" << "&amp;^lt;";
    QTest::newRow("selection only") << "[<b>]<i>" << "&lt;b&gt;^<i>";
    QTest::newRow("selection in the middle") << "<x>[a<b]>" << "<x>a&lt;^b>";
    QTest::newRow("several lines") << "<p>\n&\n</p>^" << "&lt;p&gt;\n&amp;\n&lt;/p&gt;^";
    QTest::newRow("nothing to replace: cursor to range start") << "ab[cd]ef" << "ab^cdef";
    QTest::newRow("nothing at all") << "plain^" << "^plain";
}

void TestEditView::encode()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    setMarked(*view, before);
    view->encodeLtGtAmp();
    QCOMPARE(marked(*view), after);
    view->undo();
    QCOMPARE(view->toPlainText(), unmarked(before));
}

void TestEditView::decode_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("three references") << "a &lt; b &amp;&amp; c &gt; d^" << "a < b && c >^ d";
    QTest::newRow("single level") << "&amp;amp;^" << "&^amp;";
    QTest::newRow("single level, lt") << "&amp;lt;^" << "&^lt;";
    QTest::newRow("others stay") << "&nbsp;&quot;&#60;^" << "&nbsp;&quot;&^#60;";
    QTest::newRow("case matters") << "&LT;&Amp;^" << "&LT;&^Amp;";
    QTest::newRow("selection only") << "[&lt;b&gt;]&lt;i&gt;" << "<b>^&lt;i&gt;";
    QTest::newRow("cut-off reference") << "a &lt^" << "a &^lt";
    QTest::newRow("several lines") << "&lt;p&gt;\n&amp;\n^" << "<p>\n&^\n";
    // The line's text must outlive the view into it.
    QTest::newRow("long line") << QString(QString(700, u'x') + "&lt;&gt;^")
                               << QString(QString(700, u'x') + "<>^");
}

void TestEditView::decode()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    setMarked(*view, before);
    view->decodeLtGtAmp();
    QCOMPARE(marked(*view), after);
    view->undo();
    QCOMPARE(view->toPlainText(), unmarked(before));
}

void TestEditView::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("operators") << "a < b && c > d";
    QTest::newRow("markup") << "<p class=\"x\">Tom &amp; Jerry</p>\n<br/>";
    QTest::newRow("only specials") << "<<>>&&";
    QTest::newRow("no specials") << "plain text";
}

void TestEditView::roundTrip()
{
    QFETCH(QString, text);
    view->setPlainText(text);
    view->encodeLtGtAmp();
    QVERIFY(!view->toPlainText().contains(u'<'));
    view->decodeLtGtAmp();
    QCOMPARE(view->toPlainText(), text);
}

void TestEditView::tagJump_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("docRoot");
    QTest::addColumn<QString>("requested");   // empty: nothing asked
    QTest::addColumn<int>("targetCursor");    // where the opened view's cursor ends
    QTest::addColumn<QString>("ownAfter");    // this view afterwards

    // The target holds "x\n<a name=top>\n<a name=\"top2\">"; its cursor starts at 0.
    QTest::newRow("single quotes, upper case, anchor") << "<a HREF='page.html#top'>^" << ""
                                                       << "page.html" << 2 << "";
    QTest::newRow("double quotes, quoted anchor") << "^<a href=\"p.html#top2\">" << ""
                                                  << "p.html" << 15 << "";
    QTest::newRow("anchor must end at a word boundary") << "<a href=\"p.html#to\">^" << ""
                                                        << "p.html" << 0 << "";
    QTest::newRow("unquoted value keeps its #") << "<a href=page.html#top>^" << ""
                                                << "page.html#top" << 0 << "";
    QTest::newRow("unquoted value ends at a blank") << "<a href=q.html title=x>^" << ""
                                                    << "q.html" << 0 << "";
    QTest::newRow("document root") << "<a href=\"/img/x.html\">^" << "C:/www"
                                   << "C:/www/img/x.html" << 0 << "";
    QTest::newRow("no document root") << "<a href=\"/img/x.html\">^" << ""
                                      << "/img/x.html" << 0 << "";
    QTest::newRow("first href of the line") << "^<a href=a.html><a href=b.html>" << ""
                                            << "a.html" << 0 << "";
    QTest::newRow("no href") << "<a name=x>^" << "" << "" << 0 << "<a name=x>^";
    QTest::newRow("href at line end") << "<a href=^" << "" << "" << 0 << "<a href=^";
    QTest::newRow("unterminated quote") << "<a href=\"x.html>^" << "" << "" << 0 << "<a href=\"x.html>^";
    QTest::newRow("empty link") << "<a href=\"\">^" << "" << "" << 0 << "<a href=\"\">^";
    QTest::newRow("same-page anchor stays in the page")
        << "<a href=\"#here\">^\n<p>\n<a name=\"here\">" << "" << "" << 0
        << "<a href=\"#here\">\n<p>\n^<a name=\"here\">";
}

void TestEditView::tagJump()
{
    QFETCH(QString, line);
    QFETCH(QString, docRoot);
    QFETCH(QString, requested);
    QFETCH(int, targetCursor);
    QFETCH(QString, ownAfter);

    settings->docRootPath = docRoot;
    setMarked(*view, line);
    EditView target(settings, engine);
    target.setPlainText(QStringLiteral("x\n<a name=top>\n<a name=\"top2\">"));
    QStringList asked;
    connect(view, &EditView::openFile, this, [&](const QString &name, EditView **result) {
        asked << name;
        *result = &target;
    });
    view->tagJump();

    QCOMPARE(asked, requested.isEmpty() ? QStringList() : QStringList{requested});
    QCOMPARE(target.textCursor().position(), targetCursor);
    if (!ownAfter.isEmpty())
        QCOMPARE(marked(*view), ownAfter);
}

void TestEditView::jumpToAnchor_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("after");

    QTest::newRow("quoted") << "ab^\n<a name=\"top\">" << "top" << true << "ab\n^<a name=\"top\">";
    QTest::newRow("unquoted") << "ab^\n<a name=top>" << "top" << true << "ab\n^<a name=top>";
    QTest::newRow("first of two") << "<a name=x>\n<a name=x>^" << "x" << true << "^<a name=x>\n<a name=x>";
    QTest::newRow("dot is a dot") << "ab^\n<a name=\"axb\">" << "a.b" << false << "ab^\n<a name=\"axb\">";
    QTest::newRow("dot found literally") << "<a name=\"axb\">\n<a name=\"a.b\">^" << "a.b" << true
                                         << "<a name=\"axb\">\n^<a name=\"a.b\">";
    QTest::newRow("pattern characters") << "x^\n<a name=\"x(1)+y\">" << "x(1)+y" << true
                                        << "x\n^<a name=\"x(1)+y\">";
    QTest::newRow("prefix of a longer name") << "x^<a name=\"topmost\">" << "top" << false << "x^<a name=\"topmost\">";
    QTest::newRow("id is not recognised") << "x^<a id=\"top\">" << "top" << false << "x^<a id=\"top\">";
    QTest::newRow("case sensitive") << "x^<A NAME=\"top\">" << "top" << false << "x^<A NAME=\"top\">";
}

void TestEditView::jumpToAnchor()
{
    QFETCH(QString, document);
    QFETCH(QString, name);
    QFETCH(bool, found);
    QFETCH(QString, after);
    setMarked(*view, document);
    QCOMPARE(view->jumpToAnchor(name), found);
    QCOMPARE(marked(*view), after);
}

void TestEditView::closeTagCandidates_data()
{
    // The scan itself is tst_closetags' business; here only what the view
    // hands it: its whole text and the cursor position.
    QTest::addColumn<QString>("document");
    QTest::addColumn<QStringList>("candidates");

    QTest::newRow("cursor line whole, later lines not")
        << "<div>\n<p>^<b>\n<i>" << QStringList{"</div>", "</p>", "</b>"};
    QTest::newRow("empty document") << "^" << QStringList();
}

void TestEditView::closeTagCandidates()
{
    QFETCH(QString, document);
    QFETCH(QStringList, candidates);
    setMarked(*view, document);
    QCOMPARE(view->closeTagCandidates(), candidates);
}

void TestEditView::insertCompletion_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("back");  // characters before the cursor that are replaced
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");

    QTest::newRow("value template") << "<a hr^>" << 2 << "href=\"\"" << "<a href=\"^\">";
    QTest::newRow("element template") << "<^" << 0 << "div></div>" << "<div>^</div>";
    QTest::newRow("element template replaces prefix") << "<d^\nx" << 1 << "div></div>" << "<div>^</div>\nx";
    QTest::newRow("plain word") << "a fo^ b" << 2 << "foreach" << "a foreach^ b";
    QTest::newRow("close tag") << "<p>x</^" << 2 << "</p>" << "<p>x</p>^";
    QTest::newRow("list item") << "<ul>\n^" << 0 << "<li></li>" << "<ul>\n<li>^</li>";
    QTest::newRow("reference") << "&am^;" << 3 << "&amp;" << "&amp;^;";
}

void TestEditView::insertCompletion()
{
    QFETCH(QString, before);
    QFETCH(int, back);
    QFETCH(QString, text);
    QFETCH(QString, after);
    setMarked(*view, before);
    view->insertCompletion(view->textCursor().position() - back, text);
    QCOMPARE(marked(*view), after);
}

void TestEditView::tagAtCursor_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QList<int>>("states");  // block states to set; empty: none
    QTest::addColumn<bool>("inTag");
    QTest::addColumn<QString>("tag");

    const QList<int> none;
    QTest::newRow("after the name") << "<a ^" << none << true << "a";
    QTest::newRow("after an attribute") << "<div class=\"x\" ^" << none << true << "div";
    QTest::newRow("name lower-cased") << "<IMG ^" << none << true << "img";
    QTest::newRow("second tag of the line") << "<p>text <span ^" << none << true << "span";
    QTest::newRow("after the tag") << "<div>^" << none << false << "div";
    QTest::newRow("plain text") << "text ^" << none << false << "";
    // A value is one token: a cursor inside it counts as inside the tag.
    QTest::newRow("inside a value") << "<img alt=\"a ^b\">" << none << true << "img";
    QTest::newRow("name on the line before")
        << "<div\n  class=\"x\" ^" << QList<int>{HtmlScanner::InTag} << true << "";
    QTest::newRow("not coloured yet starts as markup")
        << "<div\n  class=\"x\" ^" << QList<int>{-1} << false << "";
}

void TestEditView::tagAtCursor()
{
    QFETCH(QString, document);
    QFETCH(QList<int>, states);
    QFETCH(bool, inTag);
    QFETCH(QString, tag);
    setMarked(*view, document);
    setBlockStates(*view, states);
    QString name = QStringLiteral("stale");
    QCOMPARE(view->tagAtCursor(name), inTag);
    QCOMPARE(name, tag);
}

void TestEditView::isStyleContext_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QList<int>>("states");
    QTest::addColumn<bool>("style");

    const QList<int> none;
    const int style = HtmlScanner::Style;
    QTest::newRow("first line of a style sheet") << "/w/site.css" << "^" << none << true;
    QTest::newRow("suffix in capitals") << "/w/site.CSS" << "\t^" << none << true;
    QTest::newRow("first line of a page") << "/w/index.html" << "^" << none << false;
    QTest::newRow("first line without path") << "" << "^" << none << false;
    QTest::newRow("text before the column") << "/w/site.css" << "a ^" << none << false;
    QTest::newRow("inside a style block") << "" << "<style>\n  ^" << QList<int>{style} << true;
    QTest::newRow("after a markup line") << "/w/site.css" << "<p>\n^" << QList<int>{HtmlScanner::Html} << false;
    QTest::newRow("line not coloured yet") << "" << "<style>\n^" << QList<int>{-1} << false;
    QTest::newRow("property already typed") << "" << "<style>\n  color: ^" << QList<int>{style} << false;
}

void TestEditView::isStyleContext()
{
    QFETCH(QString, path);
    QFETCH(QString, document);
    QFETCH(QList<int>, states);
    QFETCH(bool, style);
    view->setFullPath(path);
    setMarked(*view, document);
    setBlockStates(*view, states);
    QCOMPARE(view->isStyleContext(view->textCursor().positionInBlock()), style);
}

void TestEditView::listItemCandidates_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<bool>("item");

    QTest::newRow("under ul") << "<ul>\n^" << true;
    QTest::newRow("under an item, blank lines between") << "<ol>\n\t<li>a</li>\n\n  \n^" << true;
    QTest::newRow("p and br looked past") << "<UL>\n<p>x</p>\n<br>\n^" << true;
    QTest::newRow("comment and text looked past") << "<ul>\n<!-- <div> -->\ntext\n^" << true;
    QTest::newRow("under div") << "<ul>\n<div>\n^" << false;
    QTest::newRow("closing tag stops") << "<ul>\n</ul>\n^" << false;
    QTest::newRow("first line") << "^" << false;
    QTest::newRow("nothing above but text") << "a\nb\n^" << false;
    QTest::newRow("lines below do not count") << "^\n<li>" << false;
}

void TestEditView::listItemCandidates()
{
    QFETCH(QString, document);
    QFETCH(bool, item);
    setMarked(*view, document);
    QCOMPARE(view->listItemCandidates(),
             item ? QStringList{QStringLiteral("<li></li>")} : QStringList());
}

void TestEditView::zenCoding_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("tooLarge");

    QTest::newRow("list") << "ul>li*3^" << "<ul>\n\t<li>^</li>\n\t<li></li>\n\t<li></li>\n</ul>" << false;
    QTest::newRow("anchor") << "x\na^" << "x\n<a href=\"^\"></a>" << false;
    QTest::newRow("text before keeps the lines aligned")
        << "foo ul+^" << "foo <ul>\n    \t<li>^</li>\n    </ul>" << false;
    QTest::newRow("siblings after text") << "\tfoo p+p^" << "\tfoo <p>^</p>\n\t    <p></p>" << false;
    QTest::newRow("text behind the cursor stays") << "div^ tail" << "<div>^</div> tail" << false;
    QTest::newRow("selection is ignored") << "[div]" << "<div>^</div>" << false;
    QTest::newRow("zero copies delete it") << "a x*0^ b" << "a ^ b" << false;
    QTest::newRow("after a blank: nothing") << "div ^" << "div ^" << false;
    QTest::newRow("line start: nothing") << "div\n^" << "div\n^" << false;
    // The column is in UTF-16 units: a character outside the BMP takes two.
    QTest::newRow("astral tag name")
        << QStringLiteral("ul+>\U0001D4B3#*2^")
        << QStringLiteral("<\U0001D4B3 id=\"\"></\U0001D4B3>\n<\U0001D4B3 id=\"\">^</\U0001D4B3><ul>\n\t<li></li>\n</ul>")
        << false;
    QTest::newRow("too large") << "div*100000>p*100000^" << "div*100000>p*100000^" << true;
}

void TestEditView::zenCoding()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(bool, tooLarge);
    setMarked(*view, before);
    QSignalSpy messages(view, &EditViewBase::showMessage);
    view->zenCoding();
    QCOMPARE(marked(*view), after);
    QCOMPARE(messages.size(), tooLarge ? 1 : 0);
    if (tooLarge)
        QCOMPARE(messages.first().first().toString(), ZenCoding::tooLargeMessage());
    if (unmarked(before) != unmarked(after)) {
        view->undo();
        QCOMPARE(view->toPlainText(), unmarked(before));
    }
}

void TestEditView::zenCodingOnEmptyDocument()
{
    view->zenCoding();
    QCOMPARE(view->toPlainText(), EditView::builtInTemplate());
    QCOMPARE(view->textCursor().blockNumber(), 10);
}

void TestEditView::candidatesAcrossBreaks_data()
{
    // "^" is the cursor for the close tags and the word start for words.
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("prefix");  // empty: close tags
    QTest::addColumn<QStringList>("candidates");

    // Shown as "<div><p>|some tex|t here <br />| |and more t|ext <span>|xx".
    const QString tags = QStringLiteral("<div><p>some text here <br /> and more text <span>xx");
    const QStringList open{"</div>", "</p>", "</span>"};
    QTest::newRow("tags: the cursor's whole line") << QString(tags).insert(15, u'^') << "" << open;
    QTest::newRow("tags: not the line after") << tags + "\n^\n<b>" << "" << open;
    QTest::newRow("words: one cut by a break") << LongLine + "\n^br" << "br" << QStringList{"bravo"};
    QTest::newRow("words: not the one at the cursor")
        << QString(LongLine).insert(56, u'^') + " jumbo" << "ju" << QStringList{"jumbo"};
}

void TestEditView::candidatesAcrossBreaks()
{
    QFETCH(QString, document);
    QFETCH(QString, prefix);
    QFETCH(QStringList, candidates);
    setCutMarked(*view, document);
    int row = -1;
    QCOMPARE(prefix.isEmpty() ? view->closeTagCandidates()
                              : view->wordCandidates(prefix, view->textCursor().position(), row),
             candidates);
}

void TestEditView::commandsAcrossBreaks_data()
{
    // The command on the same text uncut gives the result expected.
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("zen");  // else word completion

    // "... iiiiii d|iv>p" and "top\ndiv>ul>l|i*2+pppppp|...": the markup's
    // lines are real, and the line does not join the one before.
    QTest::newRow("abbreviation over a break") << "aaaa bbbb cccc dddd eeee ffff gggg hhhh iiiiii div>p^" << true;
    QTest::newRow("abbreviation from the line start")
        << "top\ndiv>ul>li*2+pppppppppppppppppppppppppppppppppp^" << true;
    // "alpha brav|o^ charli|...": the prefix is "bravo", not "o".
    QTest::newRow("word over a break") << "bravoes\nalpha bravo^ charlie delta echo foxtrot golf hotel" << false;
}

void TestEditView::commandsAcrossBreaks()
{
    QFETCH(QString, before);
    QFETCH(bool, zen);
    EditView flat(settings, engine);
    setMarked(flat, before);
    zen ? flat.zenCoding() : flat.completion(false);
    QVERIFY(marked(flat) != before);

    setCutMarked(*view, before);
    const QString shown = view->toPlainText();
    zen ? view->zenCoding() : view->completion(false);
    QCOMPARE(cutMarked(*view), marked(flat));
    view->undo();
    QCOMPARE(view->toPlainText(), shown);
    QCOMPARE(view->realText(), unmarked(before));
}

void TestEditView::menuCommands_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("encode") << "action_lt_gt_amp" << "[<b>]" << "&lt;b&gt;^";
    QTest::newRow("decode") << "action_lt_gt_amp_decode" << "&lt;b&gt;^" << "<b>^";
    QTest::newRow("Zen-Coding") << "action_Zen_Coding" << "dl+^" << "<dl>\n\t<dt>^</dt>\n\t<dd></dd>\n</dl>";
    QTest::newRow("close tag completion, one candidate") << "actionCloseTagCompletion"
                                                          << "<div>\n^" << "<div>\n</div>^";
    QTest::newRow("dynamic completion, list item") << "action_DynamicCompletion"
                                                    << "<ul>\n^" << "<ul>\n<li>^</li>";
}

void TestEditView::menuCommands()
{
    QFETCH(QString, action);
    QFETCH(QString, before);
    QFETCH(QString, after);
    ScopedSettingsStore store;
    ScriptedPrompt prompt;
    MainWindow w({});
    EditView *current = w.currentView();
    QVERIFY(current);
    setMarked(*current, before);
    auto *act = w.findChild<QAction *>(action);
    QVERIFY(act);
    act->trigger();
    QCOMPARE(marked(*current), after);
    QVERIFY(!prompt.unexpected);
}

void TestEditView::menuCommandsWithoutView()
{
    ScopedSettingsStore store;
    ScriptedPrompt prompt;
    MainWindow w({});
    w.tabs()->clear();
    QVERIFY(!w.currentView());
    for (const char *name : {"action_Zen_Coding", "action_DynamicCompletion", "actionCloseTagCompletion",
                             "action_TagJump", "action_lt_gt_amp", "action_lt_gt_amp_decode"}) {
        auto *act = w.findChild<QAction *>(QLatin1String(name));
        QVERIFY2(act, name);
        act->trigger();
    }
    QVERIFY(prompt.asked.isEmpty());
}

void TestEditView::menuTagJumpOpensFileAtAnchor()
{
    ScopedSettingsStore store;
    ScriptedPrompt prompt;
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("target.html"));
    QVERIFY(writeFile(target, "<p>\n<p>\n<a name=\"end\">\n"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        MainWindow w({});
        EditView *source = w.currentView();
        setMarked(*source, QStringLiteral("<a href=\"target.html#end\">^"));
        w.findChild<QAction *>(QStringLiteral("action_TagJump"))->trigger();
        EditView *opened = w.currentView();
        QVERIFY(opened != source);
        QCOMPARE(QFileInfo(opened->fullPath()), QFileInfo(target));
        QCOMPARE(opened->textCursor().blockNumber(), 2);
        QCOMPARE(opened->textCursor().positionInBlock(), 0);
    }
    QDir::setCurrent(previous);
    QVERIFY(!prompt.unexpected);
}

QTEST_MAIN(TestEditView)
#include "tst_editview.moc"
