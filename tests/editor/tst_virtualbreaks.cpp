// Very long lines shown as several blocks, on a real coloured view: what is
// saved, copied and numbered is the file's text; breaks the user makes are
// real ones; colouring equals that of the unbroken line.

#include "editor/documentfile.h"
#include "editor/globalsettings.h"
#include "editor/virtualbreaks.h"
#include "highlight/syntaxhighlighter.h"
#include "html/editview.h"
#include "testsupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include <memory>

namespace {

const QString dataDir = QStringLiteral(MOSSGLEN_TEST_DATA "/minified/");

int continuationCount(const QTextDocument *doc)
{
    int count = 0;
    for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next())
        count += VirtualBreaks::isContinuation(b) ? 1 : 0;
    return count;
}

// The foreground colour of every character of the real text, as the view's
// layouts give it (the document's own colour where no range covers it).
QList<QRgb> coloursOfRealText(const QTextDocument *doc)
{
    QList<QRgb> colours;
    for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next()) {
        if (b.blockNumber() > 0 && !VirtualBreaks::isContinuation(b))
            colours.append(0);  // the real line break
        QList<QRgb> line(b.length() - 1, 0);
        for (const QTextLayout::FormatRange &r : b.layout()->formats()) {
            for (int i = r.start; i < r.start + r.length && i < line.size(); ++i)
                line[i] = r.format.foreground().color().rgb();
        }
        colours += line;
    }
    return colours;
}

void waitColoured(EditView &view)
{
    QTRY_VERIFY_WITH_TIMEOUT(!view.highlighter()->isBusy(), 20000);
}

// Moves the cursor to the start of the n-th continuation block.
QTextBlock nthContinuation(const QTextDocument *doc, int n)
{
    for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next()) {
        if (VirtualBreaks::isContinuation(b) && n-- == 0)
            return b;
    }
    return {};
}

// Shows the view with the keyboard focus and the cursor at `position`, for
// typing.
void focusAt(EditView &view, int position)
{
    view.show();
    view.setFocus();
    QTextCursor cursor(view.document());
    cursor.setPosition(position);
    view.setTextCursor(cursor);
}

} // namespace

class TestVirtualBreaks : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void savedAsRead_data();
    void savedAsRead();
    void colouredAsWhole_data();
    void colouredAsWhole();
    void editRecoloursWholeLine_data();
    void editRecoloursWholeLine();
    void userBreaksAreReal_data();
    void userBreaksAreReal();
    void oneEditAtSeveralPlaces();
    void replacingSelection_data();
    void replacingSelection();
    void openLineAroundLongLine_data();
    void openLineAroundLongLine();
    void deletingAtBreak_data();
    void deletingAtBreak();
    void grownLineCutAfterPause();
    void grownLineWaitsForColouring();
    void marginAndLineNumbers();
    void copyLeavesBreaksOut();

private:
    std::unique_ptr<EditView> openView(const QString &path, int threshold = -1, int piece = -1);
    GlobalSettings settings;
    QTemporaryDir dir;
};

void TestVirtualBreaks::init()
{
    settings = GlobalSettings();
    settings.lineNumber = true;
    settings.fontFamily = QStringLiteral("DejaVu Sans Mono");
    for (int i = 0; i < GlobalSettings::ColorCount; ++i)
        settings.colors[i] = QColor::fromHsv((i * 37) % 360, 180, 120 + (i * 7) % 120);
}

std::unique_ptr<EditView> TestVirtualBreaks::openView(const QString &path, int threshold, int piece)
{
    auto view = std::make_unique<EditView>(&settings, nullptr);
    view->updateSettings();
    view->resize(700, 500);
    if (threshold > 0)
        view->virtualBreaks()->setLimits(threshold, piece);
    view->setFullPath(path);
    if (!readDocument(view.get(), path))
        return nullptr;
    return view;
}

void TestVirtualBreaks::savedAsRead_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("piece");
    QTest::newRow("script") << dataDir + QStringLiteral("site.min.js") << -1 << -1;
    QTest::newRow("style sheet") << dataDir + QStringLiteral("site.min.css") << -1 << -1;
    QTest::newRow("page, small pieces") << dataDir + QStringLiteral("page.min.html") << 100 << 40;
    QTest::newRow("readable source, long lines cut") << dataDir + QStringLiteral("src/site.js") << 30 << 12;
    // No place where the colouring allows a cut: cut anyway.
    QTest::newRow("Japanese text on one line") << dataDir + QStringLiteral("japanese.txt") << -1 << -1;
    QTest::newRow("long comment, name and attribute value")
            << dataDir + QStringLiteral("longtokens.html") << 500 << 100;
    QTest::newRow("jquery.min.js") << QStringLiteral("/usr/share/javascript/jquery/jquery.min.js") << -1 << -1;
    // Made from real code by tools/minify.py when the tests are built.
    QTest::newRow("jquery.js minified")
            << QStringLiteral(MOSSGLEN_MINIFIED_DIR "/jquery.joined.js") << -1 << -1;
    QTest::newRow("Qt's documentation style sheet minified")
            << QStringLiteral(MOSSGLEN_MINIFIED_DIR "/online.joined.css") << -1 << -1;
}

// Open, save unedited; edit at several places (one of them a break), undo
// everything, save again: the file's bytes both times.
void TestVirtualBreaks::savedAsRead()
{
    QFETCH(QString, path);
    QFETCH(int, threshold);
    QFETCH(int, piece);
    if (!QFile::exists(path))
        QSKIP(qPrintable(path + QStringLiteral(" is not installed")));
    const QByteArray original = readFile(path);
    auto view = openView(path, threshold, piece);
    QVERIFY(view);
    QTextDocument *doc = view->document();
    QVERIFY2(continuationCount(doc) > 3, "the file is not cut at all");
    QCOMPARE(doc->availableUndoSteps(), 0);
    QVERIFY(!doc->isModified());

    const QString unedited = dir.filePath(QStringLiteral("unedited"));
    QVERIFY(writeDocument(view.get(), unedited));
    QCOMPARE(readFile(unedited), original);

    view->show();
    view->setFocus();
    const int length = doc->characterCount() - 1;
    const QTextBlock atBreak = nthContinuation(doc, 2);
    for (int position : {0, length / 3, atBreak.position(), atBreak.position() - 1, length}) {
        QTextCursor cursor(doc);
        cursor.setPosition(position);
        view->setTextCursor(cursor);
        QTest::keyClicks(view.get(), QStringLiteral("x;"));
        QTest::keyClick(view.get(), Qt::Key_Backspace);
    }
    QVERIFY(doc->isModified());
    while (doc->isUndoAvailable())
        doc->undo();
    const QString undone = dir.filePath(QStringLiteral("undone"));
    QVERIFY(writeDocument(view.get(), undone));
    QCOMPARE(readFile(undone), original);
}

void TestVirtualBreaks::colouredAsWhole_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("script") << dataDir + QStringLiteral("site.min.js");
    QTest::newRow("style sheet") << dataDir + QStringLiteral("site.min.css");
    QTest::newRow("page with script and style") << dataDir + QStringLiteral("page.min.html");
    QTest::newRow("jquery.js minified") << QStringLiteral(MOSSGLEN_MINIFIED_DIR "/jquery.joined.js");
    QTest::newRow("Japanese text on one line") << dataDir + QStringLiteral("japanese.txt");
    QTest::newRow("long comment, name and attribute value")
            << dataDir + QStringLiteral("longtokens.html");
}

// The colour of every character is the one it has when the line is one block.
void TestVirtualBreaks::colouredAsWhole()
{
    QFETCH(QString, path);
    if (!QFile::exists(path))
        QSKIP(qPrintable(path + QStringLiteral(" was not made")));
    auto broken = openView(path, 200, 50);
    auto whole = openView(path, 1 << 30, 1 << 30);
    QVERIFY(broken && whole);
    QVERIFY(continuationCount(broken->document()) > 100);
    QCOMPARE(whole->document()->blockCount(), 1);
    waitColoured(*broken);
    waitColoured(*whole);
    const QList<QRgb> expected = coloursOfRealText(whole->document());
    const QList<QRgb> actual = coloursOfRealText(broken->document());
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (actual.at(i) != expected.at(i))
            QFAIL(qPrintable(QStringLiteral("character %1 (%2): %3 instead of %4")
                                 .arg(i).arg(whole->realText().mid(std::max<qsizetype>(0, i - 10), 20))
                                 .arg(actual.at(i), 0, 16).arg(expected.at(i), 0, 16)));
    }
}

void TestVirtualBreaks::editRecoloursWholeLine_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("at");
    QTest::addColumn<QString>("typed");
    QTest::newRow("script line comment") << "a.js" << QString(QStringLiteral("a=1;").repeated(700) + "\nb=2;\n")
                                         << 0 << "//";
    QTest::newRow("php line comment") << "a.php"
        << QString("<?php " + QStringLiteral("$a=1;").repeated(600) + "\n$b=2; ?>\n") << 6 << "#";
    QTest::newRow("style comment") << "a.css" << QString(QStringLiteral("a{b:c}").repeated(500) + "\n")
                                   << 0 << "/*";
}

// An edit in the first piece of a long line that changes how the rest of
// the line reads recolours the pieces behind it, as a fresh load would.
void TestVirtualBreaks::editRecoloursWholeLine()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(int, at);
    QFETCH(QString, typed);
    const QString path = dir.filePath(name);
    QVERIFY(writeFile(path, text.toUtf8()));
    auto view = openView(path, 200, 50);
    QVERIFY(view);
    waitColoured(*view);
    QVERIFY(continuationCount(view->document()) > 10);
    focusAt(*view, at);
    QTest::keyClicks(view->viewport(), typed);
    waitColoured(*view);
    const QString edited = text.left(at) + typed + text.mid(at);
    QCOMPARE(view->realText(), edited);

    const QString reopened = dir.filePath(QStringLiteral("whole.") + QFileInfo(name).suffix());
    QVERIFY(writeFile(reopened, edited.toUtf8()));
    auto whole = openView(reopened, 1 << 30, 1 << 30);
    QVERIFY(whole);
    waitColoured(*whole);
    QCOMPARE(coloursOfRealText(view->document()), coloursOfRealText(whole->document()));
}

void TestVirtualBreaks::userBreaksAreReal_data()
{
    QTest::addColumn<int>("offset");   // from the start of the second continuation block
    QTest::addColumn<QString>("how");  // "return" or "paste"
    QTest::newRow("return inside a continuation") << 3 << QStringLiteral("return");
    QTest::newRow("return at the start of a continuation") << 0 << QStringLiteral("return");
    QTest::newRow("return at the end of the block before") << -1 << QStringLiteral("return");
    QTest::newRow("two lines pasted into a continuation") << 2 << QStringLiteral("paste");
}

// A break typed or pasted is in the file; one undo takes it back and the
// virtual breaks stay as they were.
void TestVirtualBreaks::userBreaksAreReal()
{
    QFETCH(int, offset);
    QFETCH(QString, how);
    auto view = openView(dataDir + QStringLiteral("site.min.css"), 100, 30);
    QVERIFY(view);
    QTextDocument *doc = view->document();
    const QString before = view->realText();
    const int continuations = continuationCount(doc);
    const QTextBlock block = nthContinuation(doc, 1);
    const int at = block.position() + offset;
    const int realAt = view->virtualBreaks()->toReal(at);
    focusAt(*view, at);

    QString expected = before;
    if (how == QLatin1String("return")) {
        QTest::keyClick(view.get(), Qt::Key_Return);
        // Blanks behind the cursor do not go down with it.
        int blanks = 0;
        while (realAt + blanks < expected.size() && expected.at(realAt + blanks) == u' ')
            ++blanks;
        expected.replace(realAt, blanks, QLatin1Char('\n'));
    } else {
        QGuiApplication::clipboard()->setText(QStringLiteral("a{b:c}\nd{e:f}\n"));
        view->paste();
        expected.insert(realAt, QStringLiteral("a{b:c}\nd{e:f}\n"));
    }
    QCOMPARE(view->realText(), expected);
    const QString saved = dir.filePath(QStringLiteral("saved.css"));
    QVERIFY(writeDocument(view.get(), saved));
    QCOMPARE(QString::fromUtf8(readFile(saved)), expected);

    doc->undo();
    QCOMPARE(view->realText(), before);
    QCOMPARE(continuationCount(doc), continuations);
    doc->redo();
    QCOMPARE(view->realText(), expected);

    // Without an undo stack no change is an undo: the break is real too.
    doc->undo();
    doc->setUndoRedoEnabled(false);
    focusAt(*view, at);
    QTest::keyClick(view.get(), Qt::Key_Return);
    QCOMPARE(view->realText().count(QLatin1Char('\n')), before.count(QLatin1Char('\n')) + 1);
}

// One undo step that changes text far apart reports one range over the
// breaks between: those stay virtual. Tab on a selection indents the file's
// lines, not the pieces of a long one.
void TestVirtualBreaks::oneEditAtSeveralPlaces()
{
    const QString path = dir.filePath(QStringLiteral("two.css"));
    const QByteArray minified = readFile(dataDir + QStringLiteral("site.min.css")).left(800);
    QVERIFY(writeFile(path, minified + "\n" + minified + "\n"));
    auto view = openView(path, 100, 30);
    QVERIFY(view);
    QTextDocument *doc = view->document();
    const int continuations = continuationCount(doc);
    QVERIFY(continuations > 20);
    const QString before = view->realText();

    QTextCursor edit(doc);
    edit.beginEditBlock();
    edit.setPosition(nthContinuation(doc, 1).position() + 1);
    edit.insertText(QStringLiteral("A"));
    edit.setPosition(nthContinuation(doc, 9).position() + 1);
    edit.insertText(QStringLiteral("B\nC"));
    edit.endEditBlock();
    QCOMPARE(continuationCount(doc), continuations);  // the new line is real
    QCOMPARE(view->realText().count(QLatin1Char('\n')), before.count(QLatin1Char('\n')) + 1);
    doc->undo();
    QCOMPARE(view->realText(), before);


    view->selectAll();
    view->show();
    view->setFocus();
    QTest::keyClick(view.get(), Qt::Key_Tab);
    QCOMPARE(view->realText(), QStringLiteral("\t") + QString::fromUtf8(minified) + QStringLiteral("\n\t")
                                       + QString::fromUtf8(minified) + QStringLiteral("\n"));
    QCOMPARE(continuationCount(doc), continuations);
}

void TestVirtualBreaks::replacingSelection_data()
{
    // Blocks of a page of two long lines, each cut in pieces: the selection
    // runs from piece `fromPiece` of line `fromLine` (offset `fromOffset`)
    // to piece `toPiece` of line `toLine`; then `key` is pressed.
    QTest::addColumn<int>("fromLine");
    QTest::addColumn<int>("fromPiece");
    QTest::addColumn<int>("fromOffset");
    QTest::addColumn<int>("toLine");
    QTest::addColumn<int>("toPiece");
    QTest::addColumn<int>("toOffset");
    QTest::addColumn<int>("key");
    QTest::newRow("line start into its third piece") << 1 << 0 << 0 << 1 << 2 << 2 << int(Qt::Key_X);
    QTest::newRow("piece start over a real break") << 0 << 3 << 0 << 1 << 0 << 3 << int(Qt::Key_X);
    QTest::newRow("first piece with its break deleted") << 1 << 0 << 0 << 1 << 1 << 0 << int(Qt::Key_Delete);
    QTest::newRow("piece start to the next line's start") << 0 << 2 << 0 << 1 << 0 << 0 << int(Qt::Key_Backspace);
    QTest::newRow("middle to middle") << 0 << 1 << 4 << 1 << 1 << 4 << int(Qt::Key_X);
}

// Whatever blocks Qt keeps when a selection is replaced, the real text is
// the selection replaced, and one undo gives the page back.
void TestVirtualBreaks::replacingSelection()
{
    QFETCH(int, fromLine);
    QFETCH(int, fromPiece);
    QFETCH(int, fromOffset);
    QFETCH(int, toLine);
    QFETCH(int, toPiece);
    QFETCH(int, toOffset);
    QFETCH(int, key);
    const QString path = dir.filePath(QStringLiteral("two.css"));
    const QByteArray minified = readFile(dataDir + QStringLiteral("site.min.css")).left(500);
    QVERIFY(writeFile(path, minified + "\n" + minified + "\n"));
    auto view = openView(path, 100, 30);
    QVERIFY(view);
    QTextDocument *doc = view->document();
    const QString before = view->realText();
    const auto position = [&](int line, int piece, int offset) {
        QTextBlock block = view->virtualBreaks()->blockOfRealLine(line + 1);
        for (int i = 0; i < piece; ++i)
            block = block.next();
        return block.position() + offset;
    };
    QTextCursor selection(doc);
    selection.setPosition(position(fromLine, fromPiece, fromOffset));
    selection.setPosition(position(toLine, toPiece, toOffset), QTextCursor::KeepAnchor);
    const int realFrom = view->virtualBreaks()->toReal(selection.selectionStart());
    const int realTo = view->virtualBreaks()->toReal(selection.selectionEnd());
    QVERIFY(realTo > realFrom);
    view->setTextCursor(selection);
    view->show();
    view->setFocus();
    QTest::keyClick(view.get(), Qt::Key(key), Qt::NoModifier);

    const QString typed = key == Qt::Key_X ? QStringLiteral("x") : QString();
    QCOMPARE(view->realText(), QString(before).replace(realFrom, realTo - realFrom, typed));
    doc->undo();
    QCOMPARE(view->realText(), before);
}

void TestVirtualBreaks::openLineAroundLongLine_data()
{
    QTest::addColumn<bool>("above");
    QTest::newRow("Ctrl+Return opens below the whole line") << false;
    QTest::newRow("Shift+Return opens above the whole line") << true;
}

// From any piece of a long line, the new line goes before or after the
// file's line; below it takes the indentation of the line's first piece,
// above that of the line above.
void TestVirtualBreaks::openLineAroundLongLine()
{
    QFETCH(bool, above);
    const QString path = dir.filePath(QStringLiteral("indented.js"));
    const QByteArray minified = readFile(dataDir + QStringLiteral("site.min.js")).left(600);
    QVERIFY(writeFile(path, "a();\n\t" + minified + "\nb();\n"));
    auto view = openView(path, 100, 40);
    QVERIFY(view);
    QTextDocument *doc = view->document();
    focusAt(*view, nthContinuation(doc, 4).position() + 3);
    QTest::keyClick(view.get(), Qt::Key_Return, above ? Qt::ShiftModifier : Qt::ControlModifier);
    const QString expected = above
            ? QStringLiteral("a();\n\n\t") + QString::fromUtf8(minified) + QStringLiteral("\nb();\n")
            : QStringLiteral("a();\n\t") + QString::fromUtf8(minified) + QStringLiteral("\n\t\nb();\n");
    QCOMPARE(view->realText(), expected);
    QCOMPARE(view->realLineNumber(view->textCursor().block()), above ? 2 : 3);
}

void TestVirtualBreaks::deletingAtBreak_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("backspace at the start of a continuation") << int(Qt::Key_Backspace);
    QTest::newRow("delete at the end of the block before") << int(Qt::Key_Delete);
}

// The key deletes the character beyond the break, not the break alone.
void TestVirtualBreaks::deletingAtBreak()
{
    QFETCH(int, key);
    auto view = openView(dataDir + QStringLiteral("site.min.js"), 100, 30);
    QVERIFY(view);
    QTextDocument *doc = view->document();
    const QString before = view->realText();
    const QTextBlock block = nthContinuation(doc, 3);
    const int at = key == Qt::Key_Backspace ? block.position() : block.position() - 1;
    const int realAt = view->virtualBreaks()->toReal(at);
    focusAt(*view, at);
    QTest::keyClick(view.get(), Qt::Key(key));

    QString expected = before;
    expected.remove(key == Qt::Key_Backspace ? realAt - 1 : realAt, 1);
    QCOMPARE(view->realText(), expected);
    QCOMPARE(view->virtualBreaks()->toReal(view->textCursor().position()),
             key == Qt::Key_Backspace ? realAt - 1 : realAt);
    doc->undo();
    QCOMPARE(view->realText(), before);
    QVERIFY(VirtualBreaks::isContinuation(doc->findBlock(at + (key == Qt::Key_Backspace ? 0 : 1))));
}

// A pasted minified line is cut once typing pauses; the cut is part of the
// paste's undo step.
void TestVirtualBreaks::grownLineCutAfterPause()
{
    const QString path = dir.filePath(QStringLiteral("page.html"));
    QVERIFY(writeFile(path, "<p>short</p>\n<p>lines</p>\n"));
    auto view = openView(path, 200, 60);
    QVERIFY(view);
    waitColoured(*view);
    QTextDocument *doc = view->document();
    QCOMPARE(continuationCount(doc), 0);
    const QString minified = QString::fromUtf8(readFile(dataDir + QStringLiteral("page.min.html"))).left(1500);
    QTextCursor cursor(doc->findBlockByNumber(1));
    view->setTextCursor(cursor);
    QGuiApplication::clipboard()->setText(minified);
    view->show();
    view->paste();
    const QString expected = QStringLiteral("<p>short</p>\n") + minified + QStringLiteral("<p>lines</p>\n");
    QCOMPARE(continuationCount(doc), 0);  // not while typing goes on
    QTRY_VERIFY(continuationCount(doc) > 10);
    QCOMPARE(view->realText(), expected);
    QCOMPARE(view->realLineNumber(doc->lastBlock()), 3);
    for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next())
        QVERIFY(b.length() - 1 <= 200);
    doc->undo();
    QCOMPARE(view->realText(), QStringLiteral("<p>short</p>\n<p>lines</p>\n"));
    QCOMPARE(doc->blockCount(), 3);
}

// A long line pasted below lines the colouring has not reached yet is cut
// once their states are known, from those states.
void TestVirtualBreaks::grownLineWaitsForColouring()
{
    const QString path = dir.filePath(QStringLiteral("long.html"));
    QVERIFY(writeFile(path, QByteArray("<script>\n") + QByteArray("x = 1;\n").repeated(100000)));
    auto view = std::make_unique<EditView>(&settings, nullptr);
    view->updateSettings();
    view->virtualBreaks()->setLimits(200, 60);
    view->highlighter()->setSliceLimits(1, 1);  // a line a turn: far from done
    view->setFullPath(path);
    QVERIFY(readDocument(view.get(), path));
    QTextDocument *doc = view->document();
    const QString script = QString::fromUtf8(readFile(dataDir + QStringLiteral("site.min.js"))).left(1500);
    QTextCursor end(doc);
    end.movePosition(QTextCursor::End);
    end.insertText(script);
    QVERIFY(view->highlighter()->isBusy());
    QTRY_VERIFY_WITH_TIMEOUT(continuationCount(doc) > 10, 20000);
    QCOMPARE(view->realText(), QString::fromUtf8(readFile(path)) + script);
    // Cut from the script state the lines above end in: coloured as whole.
    waitColoured(*view);
    auto whole = std::make_unique<EditView>(&settings, nullptr);
    whole->updateSettings();
    whole->virtualBreaks()->setLimits(1 << 30, 1 << 30);
    whole->setFullPath(path);
    whole->loadText(view->realText());
    waitColoured(*whole);
    QCOMPARE(coloursOfRealText(doc), coloursOfRealText(whole->document()));
}

// The margin numbers the file's lines and marks continuations; jumpToLine
// counts the file's lines.
void TestVirtualBreaks::marginAndLineNumbers()
{
    const QString path = dir.filePath(QStringLiteral("mixed.js"));
    const QByteArray minified = readFile(dataDir + QStringLiteral("site.min.js")).left(600);
    QVERIFY(writeFile(path, "a=1;\n" + minified + "\nb=2;\nc=3;\n"));
    auto view = openView(path, 100, 40);
    QVERIFY(view);
    view->resize(500, 2000);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    QTextDocument *doc = view->document();
    const int continuations = continuationCount(doc);
    QVERIFY(continuations >= 10);

    QStringList labels;
    for (const EditViewBase::MarginLabel &label : view->marginLabels(0, view->viewport()->height()))
        labels.append(label.text);
    QStringList expected{QStringLiteral("1:"), QStringLiteral("2:")};
    for (int i = 0; i < continuations; ++i)
        expected.append(QStringLiteral("\u21b3"));
    expected << QStringLiteral("3:") << QStringLiteral("4:") << QStringLiteral("5:");
    QCOMPARE(labels, expected);

    view->jumpToLine(4);
    QCOMPARE(view->textCursor().block().text(), QStringLiteral("c=3;"));
    view->jumpToLine(2);
    QCOMPARE(view->textCursor().blockNumber(), 1);
    view->jumpToLine(6);  // beyond the file: stays
    QCOMPARE(view->textCursor().blockNumber(), 1);
}

void TestVirtualBreaks::copyLeavesBreaksOut()
{
    auto view = openView(dataDir + QStringLiteral("site.min.css"), 100, 30);
    QVERIFY(view);
    QTextDocument *doc = view->document();
    const QTextBlock block = nthContinuation(doc, 0);
    QTextCursor cursor(doc);
    cursor.setPosition(block.position() - 5);
    cursor.setPosition(nthContinuation(doc, 2).position() + 5, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
    const int from = view->virtualBreaks()->toReal(cursor.selectionStart());
    const int to = view->virtualBreaks()->toReal(cursor.selectionEnd());
    view->copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), view->realText().mid(from, to - from));
    view->cut();
    QCOMPARE(view->realText(), QString::fromUtf8(readFile(dataDir + QStringLiteral("site.min.css"))).remove(from, to - from));
}

QTEST_MAIN(TestVirtualBreaks)
#include "tst_virtualbreaks.moc"
