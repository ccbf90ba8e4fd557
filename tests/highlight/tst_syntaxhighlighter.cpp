// The highlighter on a real view: the colour of every token range (golden
// files), start states from the file's name, and that colouring in slices
// after edits ends exactly where a straight pass over the final text ends,
// with the screen coloured and repainted first.

#include "editor/datapaths.h"
#include "highlight/htmlscanner.h"
#include "highlight/syntaxhighlighter.h"
#include "testsupport.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

namespace {

// The colour the layout gives the character at `column`; none where no
// range covers it.
QColor colourAt(const QTextBlock &block, int column, QTextFormat::Property p = QTextFormat::ForegroundBrush)
{
    for (const QTextLayout::FormatRange &r : block.layout()->formats())
        if (column >= r.start && column < r.start + r.length && r.format.hasProperty(p))
            return r.format.brushProperty(p).color();
    return {};
}

bool waitIdle(EditView &view)
{
    QElapsedTimer clock;
    clock.start();
    while (view.highlighter()->isBusy() && clock.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return !view.highlighter()->isBusy();
}

// A page with every context: tags over two lines, script with strings,
// escapes, literals and comments, a style sheet, HTML comments, references.
QString mixedPage(int repeats)
{
    QString page = QStringLiteral("<!DOCTYPE html>\n<html><head><title>t &amp; u</title>\n");
    for (int i = 0; i < repeats; ++i)
        page += QStringLiteral("<style type=\"text/css\">\nbody { color: red; margin : 0 }\n</style>\n"
                               "<div class=\"c%1\" title=\"two\nlines\">text &lt; %1</div>\n<script>\n"
                               "var s%1 = \"a\\u0041\\n\" + 'q\\'' ; /* block\n"
                               "comment */ if (x / 2) return /a\\/b+/g;\n// line comment\n</script>\n"
                               "<!-- a comment\n   over lines -->\n<p\n  id=\"p%1\">para</p>\n").arg(i);
    return page + QStringLiteral("</body></html>\n");
}

} // namespace

class TestSyntaxHighlighter : public FixtureTest
{
    Q_OBJECT
private slots:
    void init()
    {
        FixtureTest::init();
        // The name lists come from the keyword files shipped beside the test.
        QVERIFY(QFile::exists(DataPaths::settingsFile(QStringLiteral("tags.txt"))));
        QVERIFY(QFile::exists(DataPaths::settingsFile(QStringLiteral("css.txt"))));
        // Every colour different, so that a wrong choice of format shows.
        for (int i = 0; i < GlobalSettings::ColorCount; ++i)
            settings->colors[i] = QColor::fromHsv((i * 37) % 360, 180, 120 + (i * 7) % 120);
        settings->tabWidth = 4;
        settings->fontFamily = QStringLiteral("DejaVu Sans Mono");
    }
    // Every format range of the scanner's sample files against references beside
    // the scanner's: foreground and background colour keys, and each line's end
    // state. The page is coloured first as markup and then named after its file,
    // whose suffix gives the start state to colour it again from.
    // tools/regen_scanner_references.sh rewrites the references.
    void referenceColours_data() { addDirectoryRows(QStringLiteral("scanner/input")); }
    void referenceColours()
    {
        QFETCH(QString, input);
        // Colours by the name of their setting, without its "col_".
        const auto key = [&](const QTextCharFormat &f, QTextFormat::Property p) {
            if (!f.hasProperty(p))
                return QStringLiteral("-");
            const auto at = std::find(settings->colors.begin(), settings->colors.end(), f.brushProperty(p).color());
            return at == settings->colors.end() ? f.brushProperty(p).color().name()
                                                : GlobalSettings::colorKey(int(at - settings->colors.begin())).mid(4);
        };
        auto view = shownView();
        view->setPlainText(QString::fromUtf8(readFile(input)));
        QVERIFY(waitIdle(*view));
        view->setFullPath(QStringLiteral("/w/") + QFileInfo(input).fileName());
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
    // The start states of names the sample files do not show, and the lines of
    // a name list that name something.
    void names()
    {
        QCOMPARE(SyntaxHighlighter::startStateFor(QStringLiteral("/w/d.cjs")), HtmlScanner::Script);
        QCOMPARE(SyntaxHighlighter::startStateFor(QStringLiteral("/w/site.CSS")), HtmlScanner::Style);
        QCOMPARE(SyntaxHighlighter::startStateFor(QStringLiteral("/w/lib.js/readme")), HtmlScanner::Html);
        QCOMPARE(SyntaxHighlighter::startStateFor(QString()), HtmlScanner::Html);
        const QString path = dir->filePath(QStringLiteral("names.txt"));
        QVERIFY(writeFile(path, "# comment\ndiv></div>\ttemplate line\n\thref=\"\"\tattribute\n  indented\n9lives\n\n"
                                "Span\tupper case\r\ntrailing   \n\xc3\xa9l\xc3\xa9ment\tnon-ASCII\nspan\tagain"));
        QCOMPARE(SyntaxHighlighter::readNames(path),
                 (QStringList{"div></div>", "span", "trailing", QString::fromUtf8("\xc3\xa9l\xc3\xa9ment"), "span"}));
        QVERIFY(SyntaxHighlighter::readNames(dir->filePath(QStringLiteral("missing.txt"))).isEmpty());
    }
    // Applies edits while colouring is still under way in small slices, lets it
    // finish, and compares with a straight pass over the final text.
    void lazyEqualsFull_data() { addTableRows(QStringLiteral("highlight/lazy_edits.txt")); }
    void lazyEqualsFull()
    {
        QFETCH(QStringList, fields);
        auto view = shownView();
        view->highlighter()->setSliceLimits(20, fields.at(0).toInt());
        view->setPlainText(mixedPage(60));
        QTextDocument *doc = view->document();
        QRandomGenerator random(fields.at(1).toUInt());
        bool pause = true;
        const auto at = [&](int line, int column) {
            QTextCursor cursor(doc->findBlockByNumber(line));
            cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, std::min(column, cursor.block().length() - 1));
            return cursor;
        };
        static const QStringList snippets = QStringLiteral("<!--|-->|\"|'|/*|*/|<script>|</script>|<style>|\n|\n\n<p\n"
                                                           "|x\\|/|&amp;|<|>|color:").split(u'|');
        for (const QChar edit : fields.at(2)) {
            QTextCursor cursor;
            switch (edit.unicode()) {
            case u'c': at(3, 0).insertText(QStringLiteral("<!--")); break;
            case u'C': at(30, 2).insertText(QStringLiteral("-->")); break;
            case u's': at(2, 0).insertText(QStringLiteral("<script>\n")); break;
            case u'j': at(10, INT_MAX).deleteChar(); break;
            case u'n': at(20, 5).insertText(QStringLiteral("\n")); break;
            case u'p': at(40, 3).insertText(mixedPage(5)); break;
            case u'!': pause = false; break;
            case u'u':
                while (doc->isUndoAvailable())
                    doc->undo();
                break;
            case u'd':
                cursor = at(20, 0);
                cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
                break;
            case u'r':
                cursor = at(int(random.bounded(doc->blockCount())), int(random.bounded(40)));
                if (random.bounded(3) == 0) {
                    cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, int(random.bounded(60)));
                    cursor.removeSelectedText();
                } else {
                    cursor.insertText(snippets.at(random.bounded(int(snippets.size()))));
                }
                break;
            }
            // A few slices run between the edits, so work is left pending.
            for (int i = 0; pause && i < 3; ++i)
                QCoreApplication::processEvents();
        }
        QVERIFY(waitIdle(*view));
        compareWithStraightPass(*view);
    }
    void largeDocumentInSlices()
    {
        auto view = shownView();
        // Slices end after a number of lines, not of milliseconds, so that a
        // busy machine does not move what is coloured when.
        view->highlighter()->setSliceLimits(1000, 50);
        QSignalSpy finished(view->highlighter(), &SyntaxHighlighter::finished);
        view->setPlainText(mixedPage(2000));
        const qsizetype finishedBefore = finished.size();
        QTextDocument *doc = view->document();
        // The screen is coloured before the event loop runs; the end is not.
        QCOMPARE(colourAt(doc->findBlockByNumber(11), 0), colour(GlobalSettings::ColTag));  // "</script>"
        QCOMPARE(doc->lastBlock().userState(), -1);
        QVERIFY(view->highlighter()->isBusy());

        // Scrolled to the end, the screen there is coloured with the first slice
        // though most of the page above it is still waiting.
        QScrollBar *bar = view->verticalScrollBar();
        bar->setValue(bar->maximum());
        const QTextBlock onScreen = doc->findBlockByNumber(bar->value() + 2);
        QElapsedTimer clock;
        clock.start();
        while (onScreen.userState() < 0 && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QVERIFY(onScreen.userState() >= 0);
        QCOMPARE(doc->findBlockByNumber(doc->blockCount() / 2).userState(), -1);

        QVERIFY(waitIdle(*view));
        QCOMPARE(finished.size(), finishedBefore + 1);
        // Colouring is no edit.
        QVERIFY(!doc->isModified());
        QVERIFY(!doc->isUndoAvailable());
        compareWithStraightPass(*view);

        // New colours: the screen (at the end) at once, the rest in the
        // background, which waits while edits come in quick succession.
        const QColor tag(1, 2, 3), background(0xfe, 0xdc, 0xba);
        settings->colors[GlobalSettings::ColTag] = tag;
        settings->colors[GlobalSettings::ColBackground] = background;
        view->updateSettings();
        QCOMPARE(colourAt(doc->lastBlock().previous(), 0), tag);  // "</body>"
        QCOMPARE(colourAt(doc->lastBlock().previous(), 0, QTextFormat::BackgroundBrush), background);
        // Far enough above that slices let through between the edits would
        // reach it; the pause is long so that a stalled machine lets none through.
        view->highlighter()->setInputPause(3000);
        const QTextBlock above = doc->findBlockByNumber(198);
        QCOMPARE(above.text(), QStringLiteral("<style type=\"text/css\">"));
        for (int i = 0; i < 10; ++i) {
            QTextCursor(doc->findBlockByNumber(1)).insertText(QStringLiteral("x"));
            QCoreApplication::processEvents();
        }
        QVERIFY(colourAt(above, 0) != tag);
        QVERIFY(waitIdle(*view));
        QCOMPARE(colourAt(above, 0), tag);
        QCOMPARE(colourAt(above, 0, QTextFormat::BackgroundBrush), background);
        QVERIFY(!colourAt(above, 7, QTextFormat::BackgroundBrush).isValid());  // "type"
    }
    // Typing on a long page: the screen is coloured and repainted at once, the
    // rest of the page later; a keystroke that leaves its line's end state alone
    // repaints that line only and leaves no work; an edit on screen while work
    // above it is pending is coloured from the states above and put right when
    // that work arrives.
    void typingOnALongPage()
    {
        auto view = shownView();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        QString text;
        for (int i = 0; i < 1000; ++i)
            text += QStringLiteral("<p>line %1</p>\n").arg(i);
        view->setPlainText(text);
        QVERIFY(waitIdle(*view));
        QTextDocument *doc = view->document();
        view->setFocus();
        std::unique_ptr<PaintSpy> spy;
        // Where the cursor was is repainted too: the spy starts behind that.
        const auto type = [&](int line, int column, const QString &keys) {
            QTextCursor cursor(doc->findBlockByNumber(line));
            cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
            view->setTextCursor(cursor);
            QTest::qWait(50);
            spy = std::make_unique<PaintSpy>(view->viewport());
            QTest::keyClicks(view.get(), keys);
        };
        const auto lineRect = [&](int line) { return view->cursorRect(QTextCursor(doc->findBlockByNumber(line))); };

        type(2, 1, QStringLiteral("x"));
        QVERIFY(!view->highlighter()->isBusy());
        QVERIFY(!colourAt(doc->findBlockByNumber(2), 1).isValid());  // "xp" is no tag
        QTest::qWait(50);
        QVERIFY(spy->painted.intersects(lineRect(2)));
        QVERIFY2(spy->painted.boundingRect().height() <= 2 * lineRect(2).height(),
                 qPrintable(QStringLiteral("repainted %1 px for one line").arg(spy->painted.boundingRect().height())));

        type(3, 0, QStringLiteral("<!-"));
        type(3, 3, QStringLiteral("-"));
        QCOMPARE(colourAt(doc->findBlockByNumber(8), 0), colour(GlobalSettings::ColComment));
        QCOMPARE(doc->findBlockByNumber(8).userState(), int(HtmlScanner::HtmlComment));
        QVERIFY(view->highlighter()->isBusy());
        QCOMPARE(colourAt(doc->findBlockByNumber(990), 0), colour(GlobalSettings::ColTag));
        QTest::qWait(50);
        QVERIFY(spy->painted.contains(lineRect(12).center()));
        QVERIFY(waitIdle(*view));
        QCOMPARE(colourAt(doc->findBlockByNumber(990), 0), colour(GlobalSettings::ColComment));

        // Closing it two lines further down gives the rest back.
        type(5, doc->findBlockByNumber(5).length() - 1, QStringLiteral("-->"));
        QVERIFY(waitIdle(*view));
        QCOMPARE(doc->findBlockByNumber(5).userState(), int(HtmlScanner::Html));
        QCOMPARE(colourAt(doc->findBlockByNumber(4), 1), colour(GlobalSettings::ColComment));
        QCOMPARE(colourAt(doc->findBlockByNumber(6), 0), colour(GlobalSettings::ColTag));
        QCOMPARE(colourAt(doc->findBlockByNumber(990), 0), colour(GlobalSettings::ColTag));

        view->verticalScrollBar()->setValue(500);
        view->highlighter()->setSliceLimits(20, 5);
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

private:
    std::unique_ptr<EditView> shownView()
    {
        static const QSet<QString> keywords{"var", "if", "return", "function"};
        auto view = std::make_unique<EditView>(settings.get(), nullptr);
        view->setScriptKeywords(&keywords);
        view->updateSettings();
        view->resize(600, 400);
        view->show();
        return view;
    }
    // Colours the text of `view` in a new view with one straight pass and
    // compares states and formats line by line.
    void compareWithStraightPass(const EditView &view)
    {
        auto straight = shownView();
        straight->setPlainText(view.toPlainText());
        straight->highlighter()->rehighlightNow();
        QVERIFY(!straight->highlighter()->isBusy());
        QTextBlock e = straight->document()->firstBlock();
        for (QTextBlock a = view.document()->firstBlock(); a.isValid(); a = a.next(), e = e.next()) {
            if (a.userState() != e.userState() || a.layout()->formats() != e.layout()->formats())
                QFAIL(qPrintable(QStringLiteral("line %1 \"%2\": state %3, expected %4")
                                     .arg(a.blockNumber() + 1).arg(a.text()).arg(a.userState()).arg(e.userState())));
            QVERIFY(a.userState() >= 0 && (a.userState() & HtmlScanner::StateMask) < HtmlScanner::StateCount);
        }
    }
    QColor colour(GlobalSettings::ColorIndex i) const { return settings->color(i); }
};

QTEST_MAIN(TestSyntaxHighlighter)
#include "tst_syntaxhighlighter.moc"
