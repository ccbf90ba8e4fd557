// The highlighter on a real view: the colour of every token range (golden
// files), start states from the file suffix, recolouring after new colours,
// and that colouring in slices after edits ends exactly where a straight pass
// over the final text ends.

#include "editor/datapaths.h"
#include "editor/globalsettings.h"
#include "highlight/htmlscanner.h"
#include "highlight/syntaxhighlighter.h"
#include "html/editview.h"
#include "testsupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include <memory>

namespace {

// A piece of a line and the colour key it must be drawn in.
struct Piece {
    int line;
    QString text;
    int colour;
};
using Pieces = QList<Piece>;

// Every colour different, so that a wrong choice of format shows.
GlobalSettings distinctSettings()
{
    GlobalSettings s;
    for (int i = 0; i < GlobalSettings::ColorCount; ++i)
        s.colors[i] = QColor::fromHsv((i * 37) % 360, 180, 120 + (i * 7) % 120);
    s.tabWidth = 4;
    s.fontFamily = QStringLiteral("DejaVu Sans Mono");
    return s;
}

const QSet<QString> &scriptKeywords()
{
    static const QSet<QString> keywords{QStringLiteral("var"), QStringLiteral("if"),
                                        QStringLiteral("return"), QStringLiteral("function")};
    return keywords;
}

// The format the layout gives the character at `column`; an empty format
// where no range covers it.
QTextCharFormat formatAt(const QTextBlock &block, int column)
{
    const QList<QTextLayout::FormatRange> ranges = block.layout()->formats();
    for (const QTextLayout::FormatRange &r : ranges) {
        if (column >= r.start && column < r.start + r.length)
            return r.format;
    }
    return {};
}

bool waitIdle(EditView &view, int timeoutMs = 30000)
{
    QElapsedTimer clock;
    clock.start();
    while (view.highlighter()->isBusy() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return !view.highlighter()->isBusy();
}

// A page with every context: tags over two lines, script with strings,
// escapes, literals and comments, a style sheet, HTML comments, references.
QString mixedPage(int repeats)
{
    QString page = QStringLiteral("<!DOCTYPE html>\n<html><head><title>t &amp; u</title>\n");
    for (int i = 0; i < repeats; ++i) {
        page += QStringLiteral(
                    "<style type=\"text/css\">\n"
                    "body { color: red; margin : 0 }\n"
                    "</style>\n"
                    "<div class=\"c%1\" title=\"two\n"
                    "lines\">text &lt; %1</div>\n"
                    "<script>\n"
                    "var s%1 = \"a\\u0041\\n\" + 'q\\'' ; /* block\n"
                    "comment */ if (x / 2) return /a\\/b+/g;\n"
                    "// line comment\n"
                    "</script>\n"
                    "<!-- a comment\n"
                    "   over lines -->\n"
                    "<p\n"
                    "  id=\"p%1\">para</p>\n")
                    .arg(i);
    }
    return page + QStringLiteral("</body></html>\n");
}

// What the window shows now: its backing store, not a fresh rendering, so a
// line whose colours changed but which was never repainted shows stale.
QImage shownViewport(QWidget *viewport)
{
    QWidget *top = viewport->window();
    const QImage window = top->screen()->grabWindow(top->winId()).toImage();
    const QPoint origin = viewport->mapTo(top, QPoint(0, 0)) * window.devicePixelRatio();
    return window.copy(QRect(origin, viewport->size() * window.devicePixelRatio()));
}

// How many pixels inside `rect` are drawn in (nearly) `colour`.
int pixelsIn(const QImage &image, const QRect &rect, const QColor &colour)
{
    int count = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green())
                    + std::abs(c.blue() - colour.blue()) < 40)
                ++count;
        }
    }
    return count;
}

// The rectangle the text of `line` from `column` for `length` characters
// takes on screen.
QRect textRect(QPlainTextEdit &view, int line, int column, int length)
{
    QTextCursor cursor(view.document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
    const QRect from = view.cursorRect(cursor);
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, length);
    const QRect to = view.cursorRect(cursor);
    return QRect(QPoint(from.left(), from.top()), QPoint(to.left(), from.bottom()));
}

} // namespace

Q_DECLARE_METATYPE(Pieces)

class TestSyntaxHighlighter : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void referenceColours_data();
    void referenceColours();

    void startStates();

    void readNames();


    void lazyEqualsFull_data();
    void lazyEqualsFull();

    void largeDocumentInSlices();
    void openedCommentRecoloursLaterLines();
    void keystrokeLeavesNoWork();
    void editBelowPendingWork();

    void screenFollowsEdits_data();
    void screenFollowsEdits();

private:
    std::unique_ptr<EditView> makeView(const QString &path = {});
    void compareWithStraightPass(const EditView &view);
    GlobalSettings settings = distinctSettings();
};

void TestSyntaxHighlighter::init()
{
    // The name lists come from the keyword files shipped beside the test.
    QVERIFY(QFile::exists(DataPaths::settingsFile(QStringLiteral("tags.txt"))));
    QVERIFY(QFile::exists(DataPaths::settingsFile(QStringLiteral("css.txt"))));
    settings = distinctSettings();
}

std::unique_ptr<EditView> TestSyntaxHighlighter::makeView(const QString &path)
{
    auto view = std::make_unique<EditView>(&settings, nullptr);
    view->setScriptKeywords(&scriptKeywords());
    view->updateSettings();
    if (!path.isEmpty())
        view->setFullPath(path);
    view->resize(600, 400);
    return view;
}

// Colours the text of `view` in a new view with one straight pass and
// compares states and formats line by line.
void TestSyntaxHighlighter::compareWithStraightPass(const EditView &view)
{
    auto straight = makeView();
    straight->setPlainText(view.toPlainText());
    straight->highlighter()->rehighlightNow();
    QVERIFY(!straight->highlighter()->isBusy());
    QTextBlock e = straight->document()->firstBlock();
    for (QTextBlock a = view.document()->firstBlock(); a.isValid(); a = a.next(), e = e.next()) {
        if (a.userState() != e.userState() || a.layout()->formats() != e.layout()->formats())
            QFAIL(qPrintable(QStringLiteral("line %1 \"%2\": state %3, expected %4")
                                 .arg(a.blockNumber() + 1).arg(a.text())
                                 .arg(a.userState()).arg(e.userState())));
    }
}

// ---------------------------------------------------------------------------

void TestSyntaxHighlighter::referenceColours_data()
{
    QTest::addColumn<QString>("input");
    const QDir dir(QStringLiteral(MOSSGLEN_TEST_DATA "/scanner/input"));
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

// Every format range of the scanner's sample files, coloured in a view named
// after the file, against references beside the scanner's: the foreground
// and background colour keys, and each line's end state. Regenerated with
// the scanner's references (tools/regen_scanner_references.sh).
void TestSyntaxHighlighter::referenceColours()
{
    QFETCH(QString, input);
    static const char *const names[] = {
        "Text", "Background", "SelText", "SelBackground", "TextCursor", "Tag", "TagIdent",
        "DqString", "HtmlSpecialChar", "ScriptText", "ScriptKeyword", "EscapedChar", "QuoteChar",
        "Regexp", "CssProp", "Comment", "EOF", "LineNumber", "LeftMargin", "CssSelector",
        "CssAtRule", "CssValue", "CssNumber", "CssImportant", "PhpVariable"};
    static_assert(std::size(names) == GlobalSettings::ColorCount);
    const auto key = [&](const QTextCharFormat &f, QTextFormat::Property p) {
        if (!f.hasProperty(p))
            return QStringLiteral("-");
        const auto at = std::find(settings.colors.begin(), settings.colors.end(), f.brushProperty(p).color());
        return at == settings.colors.end() ? f.brushProperty(p).color().name()
                                           : QString::fromLatin1(names[at - settings.colors.begin()]);
    };
    auto view = makeView(QStringLiteral("/w/") + QFileInfo(input).fileName());
    view->setPlainText(QString::fromUtf8(readFile(input)));
    QVERIFY(waitIdle(*view));
    QString out;
    for (QTextBlock b = view->document()->firstBlock(); b.isValid(); b = b.next()) {
        out += QStringLiteral("%1 state %2\n").arg(b.blockNumber() + 1).arg(b.userState());
        for (const QTextLayout::FormatRange &r : b.layout()->formats())
            out += QStringLiteral("  %1+%2 %3 on %4 \"%5\"\n").arg(r.start).arg(r.length)
                       .arg(key(r.format, QTextFormat::ForegroundBrush), key(r.format, QTextFormat::BackgroundBrush),
                            b.text().mid(r.start, r.length));
    }
    compareWithReference(QStringLiteral(MOSSGLEN_TEST_DATA "/scanner/reference/") + QFileInfo(input).fileName()
                                 + QStringLiteral(".colours"), out);
}

// The start state follows the file's suffix, and a new name recolours the
// page; the colours that follow from a start state are the reference files'
// business.
void TestSyntaxHighlighter::startStates()
{
    auto view = makeView();
    view->setPlainText(QStringLiteral("color: 1\n<b>"));
    const QTextBlock first = view->document()->firstBlock();
    const std::pair<const char *, int> cases[] = {
        {"", HtmlScanner::Html}, {"/w/site.CSS", HtmlScanner::Style}, {"/w/app.js", HtmlScanner::Script},
        {"/w/index.html", HtmlScanner::Html}, {"/w/d.cjs", HtmlScanner::Script},
        {"/w/lib.js/readme", HtmlScanner::Html}};
    for (const auto &[path, state] : cases) {
        QCOMPARE(int(SyntaxHighlighter::startStateFor(QString::fromLatin1(path))), state);
        view->setFullPath(QString::fromLatin1(path));
        QVERIFY(waitIdle(*view));
        QCOMPARE(first.userState(), state);
        // "<b>" is a tag in a style sheet too.
        QCOMPARE(first.next().userState(), state == HtmlScanner::Script ? state : int(HtmlScanner::Html));
        if (state == HtmlScanner::Html) {
            QVERIFY(!formatAt(first, 0).hasProperty(QTextFormat::ForegroundBrush));
            QCOMPARE(formatAt(first.next(), 1).foreground().color(), settings.color(GlobalSettings::ColTagIdent));
        } else {
            QCOMPARE(formatAt(first, 0).foreground().color(),
                     settings.color(state == HtmlScanner::Style ? GlobalSettings::ColCssProp : GlobalSettings::ColScriptText));
        }
    }
}

void TestSyntaxHighlighter::readNames()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("names.txt"));
    QVERIFY(writeFile(path, "# comment\n"
                            "div></div>\ttemplate line\n"
                            "\thref=\"\"\tattribute\n"
                            "  indented\n"
                            "9lives\n"
                            "\n"
                            "Span\tupper case\r\n"
                            "trailing   \n"
                            "\xc3\xa9l\xc3\xa9ment\tnon-ASCII\n"
                            "span\tagain"));
    QCOMPARE(SyntaxHighlighter::readNames(path),
             (QStringList{"div></div>", "span", "trailing", QString::fromUtf8("\xc3\xa9l\xc3\xa9ment"),
                          "span"}));
    QVERIFY(SyntaxHighlighter::readNames(dir.filePath(QStringLiteral("missing.txt"))).isEmpty());
}

// ---------------------------------------------------------------------------

void TestSyntaxHighlighter::lazyEqualsFull_data()
{
    QTest::addColumn<int>("sliceLines");
    QTest::addColumn<QString>("edits");  // letters, see lazyEqualsFull()
    QTest::addColumn<uint>("seed");

    QTest::newRow("fresh document") << 13 << "" << 0u;
    QTest::newRow("comment opened near the top") << 13 << "c" << 0u;
    QTest::newRow("comment opened and closed") << 13 << "cC" << 0u;
    QTest::newRow("script start inserted") << 7 << "s" << 0u;
    QTest::newRow("lines joined and split") << 7 << "jn" << 0u;
    QTest::newRow("many lines pasted") << 5 << "p" << 0u;
    QTest::newRow("edits then undo all") << 7 << "cspu" << 0u;
    QTest::newRow("edits with no pause") << 3 << "cCsjnp!" << 0u;
    QTest::newRow("lines deleted one by one, then undone, no pauses") << 3 << "!cdddddddddddddddu" << 0u;
    QTest::newRow("random edits 1") << 5 << "rrrrrrrrrrrrrrrrrrrr" << 1u;
    QTest::newRow("random edits 2") << 11 << "rrrrrrrrrrrrrrrrrrrrrrrrrrrrrr" << 2u;
    QTest::newRow("random edits 3, no pauses") << 3 << "!rrrrrrrrrrrrrrrrrrrr" << 3u;
}

// Applies edits while colouring is still under way in small slices, lets it
// finish, and compares with a straight pass over the final text.
void TestSyntaxHighlighter::lazyEqualsFull()
{
    QFETCH(int, sliceLines);
    QFETCH(QString, edits);
    QFETCH(uint, seed);

    auto view = makeView();
    view->show();
    view->highlighter()->setSliceLimits(20, sliceLines);
    view->setPlainText(mixedPage(60));
    QRandomGenerator random(seed);
    bool pause = true;
    const auto insertAt = [&](int line, int column, const QString &text) {
        QTextCursor cursor(view->document()->findBlockByNumber(line));
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor,
                            std::min(column, cursor.block().length() - 1));
        cursor.insertText(text);
    };
    static const QString snippets[] = {
        "<!--", "-->", "\"", "'", "/*", "*/", "<script>", "</script>", "<style>",
        "\n", "\n\n<p\n", "x\\", "/", "&amp;", "<", ">", "color:",
    };
    for (const QChar edit : edits) {
        switch (edit.unicode()) {
        case u'c': insertAt(3, 0, QStringLiteral("<!--")); break;
        case u'C': insertAt(30, 2, QStringLiteral("-->")); break;
        case u's': insertAt(2, 0, QStringLiteral("<script>\n")); break;
        case u'j': {
            QTextCursor cursor(view->document()->findBlockByNumber(10));
            cursor.movePosition(QTextCursor::EndOfBlock);
            cursor.deleteChar();
            break;
        }
        case u'n': insertAt(20, 5, QStringLiteral("\n")); break;
        case u'd': {
            QTextCursor cursor(view->document()->findBlockByNumber(20));
            cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            break;
        }
        case u'p': insertAt(40, 3, mixedPage(5)); break;
        case u'u':
            while (view->document()->isUndoAvailable())
                view->document()->undo();
            break;
        case u'!': pause = false; break;
        case u'r': {
            const int line = int(random.bounded(view->document()->blockCount()));
            const int column = int(random.bounded(40));
            if (random.bounded(3) == 0) {
                QTextCursor cursor(view->document()->findBlockByNumber(line));
                cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor,
                                    int(random.bounded(60)));
                cursor.removeSelectedText();
            } else {
                insertAt(line, column, snippets[random.bounded(int(std::size(snippets)))]);
            }
            break;
        }
        }
        if (pause) {
            // A few slices run between the edits, so work is left pending.
            for (int i = 0; i < 3; ++i)
                QCoreApplication::processEvents();
        }
    }
    QVERIFY(waitIdle(*view));

    compareWithStraightPass(*view);
    if (QTest::currentTestFailed())
        return;
    for (QTextBlock b = view->document()->firstBlock(); b.isValid(); b = b.next())
        QVERIFY(b.userState() >= 0
                && (b.userState() & HtmlScanner::StateMask) < HtmlScanner::StateCount);
}

void TestSyntaxHighlighter::largeDocumentInSlices()
{
    auto view = makeView();
    view->show();
    view->highlighter()->setSliceLimits(5, 50);
    QSignalSpy finished(view->highlighter(), &SyntaxHighlighter::finished);
    bool finishedWhileBusy = false;
    connect(view->highlighter(), &SyntaxHighlighter::finished, this,
            [&] { finishedWhileBusy = finishedWhileBusy || view->highlighter()->isBusy(); });
    view->setPlainText(mixedPage(2000));
    const qsizetype finishedBefore = finished.size();
    QTextDocument *doc = view->document();
    // The screen is coloured before the event loop runs; the end is not.
    QVERIFY(!doc->findBlockByNumber(10).layout()->formats().isEmpty());
    QCOMPARE(doc->lastBlock().userState(), -1);
    QVERIFY(view->highlighter()->isBusy());

    // Scrolled to the end, the screen there is coloured with the first slice
    // though most of the page above it is still waiting.
    QScrollBar *bar = view->verticalScrollBar();
    QVERIFY(bar->maximum() > 20000);
    bar->setValue(bar->maximum());
    const QTextBlock onScreen = doc->findBlockByNumber(bar->value() + 2);
    QElapsedTimer clock;
    clock.start();
    while (onScreen.userState() < 0 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    QVERIFY(onScreen.userState() >= 0);
    QCOMPARE(doc->findBlockByNumber(bar->value() - 100).userState(), -1);
    QCOMPARE(doc->findBlockByNumber(doc->blockCount() / 2).userState(), -1);

    QVERIFY(waitIdle(*view));
    QCOMPARE(finished.size(), finishedBefore + 1);
    QVERIFY(!finishedWhileBusy);
    // Colouring is no edit.
    QVERIFY(!doc->isModified());
    QVERIFY(!doc->isUndoAvailable());
    compareWithStraightPass(*view);

    // New colours: the screen (at the end) at once, the rest in the
    // background, which waits while edits come in quick succession.
    const QColor tag(1, 2, 3);
    const QColor background(0xfe, 0xdc, 0xba);
    settings.colors[GlobalSettings::ColTag] = tag;
    settings.colors[GlobalSettings::ColBackground] = background;
    view->updateSettings();
    QCOMPARE(formatAt(doc->lastBlock().previous(), 0).foreground().color(), tag);  // "</body>"
    QCOMPARE(formatAt(doc->lastBlock().previous(), 0).background().color(), background);
    QCOMPARE(formatAt(doc->lastBlock().previous(), 2).foreground().color(), settings.color(GlobalSettings::ColTagIdent));
    const QTextBlock above = doc->findBlockByNumber(100);
    QCOMPARE(above.text(), QStringLiteral("<style type=\"text/css\">"));
    for (int i = 0; i < 10; ++i) {
        QTextCursor(doc->findBlockByNumber(1)).insertText(QStringLiteral("x"));
        QCoreApplication::processEvents();
    }
    QVERIFY(formatAt(above, 0).foreground().color() != tag);
    QVERIFY(waitIdle(*view));
    QCOMPARE(formatAt(above, 0).foreground().color(), tag);
    QCOMPARE(formatAt(above, 0).background().color(), background);
    QVERIFY(!formatAt(above, 7).hasProperty(QTextFormat::BackgroundBrush));  // "type"
}

void TestSyntaxHighlighter::openedCommentRecoloursLaterLines()
{
    auto view = makeView();
    view->show();
    QString text;
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("<p>line %1</p>\n").arg(i);
    view->setPlainText(text);
    QVERIFY(waitIdle(*view));
    QTextDocument *doc = view->document();
    const QColor comment = settings.color(GlobalSettings::ColComment);
    const QColor tag = settings.color(GlobalSettings::ColTag);

    QTextCursor cursor(doc->findBlockByNumber(3));
    view->setTextCursor(cursor);
    view->setFocus();
    QTest::keyClicks(view.get(), QStringLiteral("<!--"));
    // Straight after the keystroke: the screen shows the comment, the far
    // end of the page is left to the event loop.
    QCOMPARE(formatAt(doc->findBlockByNumber(3), 0).foreground().color(), comment);
    QCOMPARE(formatAt(doc->findBlockByNumber(8), 0).foreground().color(), comment);
    QCOMPARE(doc->findBlockByNumber(8).userState(), int(HtmlScanner::HtmlComment));
    QVERIFY(view->highlighter()->isBusy());
    QCOMPARE(formatAt(doc->findBlockByNumber(4990), 0).foreground().color(), tag);

    QVERIFY(waitIdle(*view));
    QCOMPARE(formatAt(doc->findBlockByNumber(4990), 0).foreground().color(), comment);
    QCOMPARE(doc->lastBlock().previous().userState(), int(HtmlScanner::HtmlComment));

    // Closing it two lines further down gives the rest back.
    cursor = QTextCursor(doc->findBlockByNumber(5));
    cursor.movePosition(QTextCursor::EndOfBlock);
    view->setTextCursor(cursor);
    QTest::keyClicks(view.get(), QStringLiteral("-->"));
    QVERIFY(waitIdle(*view));
    QCOMPARE(doc->findBlockByNumber(5).userState(), int(HtmlScanner::Html));
    QCOMPARE(formatAt(doc->findBlockByNumber(4), 1).foreground().color(), comment);
    QCOMPARE(formatAt(doc->findBlockByNumber(6), 0).foreground().color(), tag);
    QCOMPARE(formatAt(doc->findBlockByNumber(4990), 0).foreground().color(), tag);
}

void TestSyntaxHighlighter::keystrokeLeavesNoWork()
{
    auto view = makeView();
    view->show();
    view->setPlainText(mixedPage(200));
    QVERIFY(waitIdle(*view));
    QTextDocument *doc = view->document();
    const QTextBlock line = doc->findBlockByNumber(2 + 66 * 14 + 3);
    QCOMPARE(line.text(), QStringLiteral("<div class=\"c66\" title=\"two"));
    QTextCursor cursor(line);
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 5);
    view->setTextCursor(cursor);
    QTest::keyClicks(view.get(), QStringLiteral("x"));
    // The line ends in the same state: nothing is left for later, and the
    // new character is coloured with its attribute name (no format).
    QVERIFY(!view->highlighter()->isBusy());
    QCOMPARE(line.text(), QStringLiteral("<div xclass=\"c66\" title=\"two"));
    QCOMPARE(line.userState(), int(HtmlScanner::AttrStringOpen));
    QVERIFY(!formatAt(line, 5).hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(formatAt(line, 13).foreground().color(), settings.color(GlobalSettings::ColDqString));
}

// An edit on screen while colouring above the screen is still pending: the
// edited lines are coloured at once from the states above them, and once the
// pending work arrives the lines behind the edit are still put right.
void TestSyntaxHighlighter::editBelowPendingWork()
{
    auto view = makeView();
    view->show();
    QString text;
    for (int i = 0; i < 1000; ++i)
        text += QStringLiteral("<p>line %1</p>\n").arg(i);
    view->setPlainText(text);
    QVERIFY(waitIdle(*view));
    view->verticalScrollBar()->setValue(500);
    view->highlighter()->setSliceLimits(20, 5);
    QTextDocument *doc = view->document();

    QTextCursor(doc->findBlockByNumber(10)).insertText(QStringLiteral("<!--"));
    QVERIFY(view->highlighter()->isBusy());
    QCOMPARE(doc->findBlockByNumber(504).userState(), int(HtmlScanner::Html));  // not reached yet
    QTextCursor(doc->findBlockByNumber(505)).insertText(QStringLiteral("<!--"));
    QCOMPARE(doc->findBlockByNumber(505).userState(), int(HtmlScanner::HtmlComment));

    view->highlighter()->finishPending();
    QVERIFY(!view->highlighter()->isBusy());
    QCOMPARE(doc->findBlockByNumber(506).userState(), int(HtmlScanner::HtmlComment));
    compareWithStraightPass(*view);
}

// Typing on screen: the window shows the new colours, and a keystroke whose
// colours stay within its line repaints that line, not the whole screen.
void TestSyntaxHighlighter::screenFollowsEdits_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("line");     // twenty of them fit on the screen
    QTest::addColumn<int>("editLine");
    QTest::addColumn<QString>("keys");     // typed at the start of editLine
    QTest::addColumn<bool>("lineOnly");    // the repaint stays in the edited line
    QTest::addColumn<Pieces>("expected");  // colour keys as drawn afterwards

    QTest::newRow("keyword typed") << QStringLiteral("a.js") << QStringLiteral("x = 1;")
        << 4 << QStringLiteral("var ") << true
        << Pieces{{4, QStringLiteral("var"), GlobalSettings::ColScriptKeyword}};
    QTest::newRow("tag name completed") << QStringLiteral("a.html")
        << QStringLiteral("<ul>item</ul>") << 2 << QStringLiteral("<title>") << true
        << Pieces{{2, QStringLiteral("title"), GlobalSettings::ColTagIdent},
                  {2, QStringLiteral("ul"), GlobalSettings::ColTagIdent}};
    QTest::newRow("comment opened") << QStringLiteral("a.html")
        << QStringLiteral("<ul>item</ul>") << 3 << QStringLiteral("<!--") << false
        << Pieces{{3, QStringLiteral("ul"), GlobalSettings::ColComment},
                  {6, QStringLiteral("ul"), GlobalSettings::ColComment},
                  {12, QStringLiteral("item"), GlobalSettings::ColComment},
                  {2, QStringLiteral("ul"), GlobalSettings::ColTagIdent}};
}

void TestSyntaxHighlighter::screenFollowsEdits()
{
    QFETCH(QString, path);
    QFETCH(QString, line);
    QFETCH(int, editLine);
    QFETCH(QString, keys);
    QFETCH(bool, lineOnly);
    QFETCH(Pieces, expected);

    auto view = makeView(path);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    view->setPlainText(QStringList(20, line).join(QLatin1Char('\n')));
    QVERIFY(waitIdle(*view));
    view->setTextCursor(QTextCursor(view->document()->findBlockByNumber(editLine)));
    view->setFocus();
    QTest::keyClicks(view.get(), keys.chopped(1));
    QTest::qWait(20);

    PaintSpy spy(view->viewport());
    QTest::keyClick(view.get(), keys.back().toLatin1());
    QVERIFY(waitIdle(*view));
    QTest::qWait(50);

    const int lineHeight = view->cursorRect().height();
    QVERIFY(!spy.painted.isEmpty());
    if (lineOnly)
        QVERIFY2(spy.painted.boundingRect().height() <= 2 * lineHeight,
                 qPrintable(QStringLiteral("repainted %1 px for one line of %2 px")
                                .arg(spy.painted.boundingRect().height()).arg(lineHeight)));

    const QImage shown = shownViewport(view->viewport());
    for (const Piece &piece : expected) {
        const QString text = view->document()->findBlockByNumber(piece.line).text();
        const int column = text.indexOf(piece.text);
        QVERIFY(column >= 0);
        const QRect rect = textRect(*view, piece.line, column, piece.text.size());
        const QColor colour = settings.color(GlobalSettings::ColorIndex(piece.colour));
        QVERIFY2(pixelsIn(shown, rect, colour) >= 3 * piece.text.size(),
                 qPrintable(QStringLiteral("line %1 \"%2\" is not drawn in %3")
                                .arg(piece.line + 1).arg(piece.text, colour.name())));
    }
}

QTEST_MAIN(TestSyntaxHighlighter)
#include "tst_syntaxhighlighter.moc"
