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
        for (const QTextLayout::FormatRange &r : b.layout()->formats())
            for (int i = r.start; i < r.start + r.length && i < line.size(); ++i)
                line[i] = r.format.foreground().color().rgb();
        colours += line;
    }
    return colours;
}

void waitColoured(EditView &view)
{
    QTRY_VERIFY_WITH_TIMEOUT(!view.highlighter()->isBusy(), 20000);
}

QTextBlock nthContinuation(const QTextDocument *doc, int n)
{
    for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next())
        if (VirtualBreaks::isContinuation(b) && n-- == 0)
            return b;
    return {};
}

// Shown with the keyboard focus and the cursor at `position`, for typing.
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
    void init()
    {
        settings = GlobalSettings();
        settings.lineNumber = true;
        settings.fontFamily = QStringLiteral("DejaVu Sans Mono");
        for (int i = 0; i < GlobalSettings::ColorCount; ++i)
            settings.colors[i] = QColor::fromHsv((i * 37) % 360, 180, 120 + (i * 7) % 120);
    }

    void savedAsRead_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<int>("piece");
        QTest::addColumn<bool>("coloured");
        for (const TestRow &r : readTestTable("editor/longlines.txt")) {
            QString path = r.fields.at(0);
            path = path.startsWith(u'/') ? path : path.startsWith(u'$') ? path.replace(QLatin1String("$MADE"), QStringLiteral(MOSSGLEN_MINIFIED_DIR)) : dataDir + path;
            QTest::newRow(qPrintable(r.name)) << path << r.fields.at(1).toInt() << r.fields.at(2).toInt() << (r.fields.at(3) == "yes");
        }
    }

    // Open, save unedited; edit at several places (one of them a break), undo
    // everything, save again: the file's bytes both times. The colour of every
    // character is the one it has when the line is one block.
    void savedAsRead()
    {
        QFETCH(QString, path);
        QFETCH(int, threshold);
        QFETCH(int, piece);
        QFETCH(bool, coloured);
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

        const int length = doc->characterCount() - 1;
        const QTextBlock atBreak = nthContinuation(doc, 2);
        for (int position : {0, length / 3, atBreak.position(), atBreak.position() - 1, length}) {
            focusAt(*view, position);
            QTest::keyClicks(view.get(), QStringLiteral("x;"));
            QTest::keyClick(view.get(), Qt::Key_Backspace);
        }
        QVERIFY(doc->isModified());
        while (doc->isUndoAvailable())
            doc->undo();
        const QString undone = dir.filePath(QStringLiteral("undone"));
        QVERIFY(writeDocument(view.get(), undone));
        QCOMPARE(readFile(undone), original);
        if (!coloured)
            return;

        auto broken = openView(path, 200, 50);
        QVERIFY(broken);
        QVERIFY(continuationCount(broken->document()) > 100);
        waitColoured(*broken);
        const auto whole = wholeView(path, broken->realText());
        QCOMPARE(whole->document()->blockCount(), 1);
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

    void editRecoloursWholeLine_data()
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
    void editRecoloursWholeLine()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(int, at);
        QFETCH(QString, typed);
        const QString path = dir.filePath(name);
        auto view = openText(name, text.toUtf8(), 200, 50);
        QVERIFY(view);
        waitColoured(*view);
        QVERIFY(continuationCount(view->document()) > 10);
        focusAt(*view, at);
        QTest::keyClicks(view->viewport(), typed);
        waitColoured(*view);
        const QString edited = text.left(at) + typed + text.mid(at);
        QCOMPARE(view->realText(), edited);

        QCOMPARE(coloursOfRealText(view->document()), coloursOfRealText(wholeView(path, edited)->document()));
    }

    void keyAtBreak_data()
    {
        QTest::addColumn<int>("offset");   // from the start of the second continuation block
        QTest::addColumn<QString>("how");
        QTest::newRow("return inside a continuation") << 3 << QStringLiteral("return");
        QTest::newRow("return at the start of a continuation") << 0 << QStringLiteral("return");
        QTest::newRow("return at the end of the block before") << -1 << QStringLiteral("return");
        QTest::newRow("two lines pasted into a continuation") << 2 << QStringLiteral("paste");
        // The key deletes the character beyond the break, not the break alone.
        QTest::newRow("backspace at the start of a continuation") << 0 << QStringLiteral("backspace");
        QTest::newRow("delete at the end of the block before") << -1 << QStringLiteral("delete");
    }

    // A break typed or pasted is in the file; one undo takes the change back and
    // the virtual breaks stay as they were.
    void keyAtBreak()
    {
        QFETCH(int, offset);
        QFETCH(QString, how);
        auto view = openView(dataDir + QStringLiteral("site.min.css"), 100, 30);
        QVERIFY(view);
        QTextDocument *doc = view->document();
        const QString before = view->realText();
        const int continuations = continuationCount(doc);
        const int blockStart = nthContinuation(doc, 1).position();
        const int at = blockStart + offset;
        const int realAt = view->virtualBreaks()->toReal(at);
        focusAt(*view, at);

        QString expected = before;
        int realCursor = -1;
        if (how == QLatin1String("return")) {
            QTest::keyClick(view.get(), Qt::Key_Return);
            // Blanks behind the cursor do not go down with it.
            int blanks = 0;
            while (realAt + blanks < expected.size() && expected.at(realAt + blanks) == u' ')
                ++blanks;
            expected.replace(realAt, blanks, QLatin1Char('\n'));
        } else if (how == QLatin1String("paste")) {
            QGuiApplication::clipboard()->setText(QStringLiteral("a{b:c}\nd{e:f}\n"));
            view->paste();
            expected.insert(realAt, QStringLiteral("a{b:c}\nd{e:f}\n"));
        } else {
            const bool back = how == QLatin1String("backspace");
            QTest::keyClick(view.get(), back ? Qt::Key_Backspace : Qt::Key_Delete);
            realCursor = back ? realAt - 1 : realAt;
            expected.remove(realCursor, 1);
        }
        QCOMPARE(view->realText(), expected);
        if (realCursor >= 0)
            QCOMPARE(view->virtualBreaks()->toReal(view->textCursor().position()), realCursor);
        const QString saved = dir.filePath(QStringLiteral("saved.css"));
        QVERIFY(writeDocument(view.get(), saved));
        QCOMPARE(QString::fromUtf8(readFile(saved)), expected);

        doc->undo();
        QCOMPARE(view->realText(), before);
        QCOMPARE(continuationCount(doc), continuations);
        QVERIFY(VirtualBreaks::isContinuation(doc->findBlock(blockStart)));
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
    void oneEditAtSeveralPlaces()
    {
        const QByteArray minified = readFile(dataDir + QStringLiteral("site.min.css")).left(800);
        auto view = openText(QStringLiteral("two.css"), minified + "\n" + minified + "\n", 100, 30);
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

    void replacingSelection_data()
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
        // Copy leaves the breaks out; cut takes what was copied.
        QTest::newRow("copied and cut over two breaks") << 0 << 1 << -5 << 0 << 3 << 5 << int(Qt::Key_Cut);
    }

    // Whatever blocks Qt keeps when a selection is replaced, the real text is
    // the selection replaced, and one undo gives the page back.
    void replacingSelection()
    {
        QFETCH(int, fromLine);
        QFETCH(int, fromPiece);
        QFETCH(int, fromOffset);
        QFETCH(int, toLine);
        QFETCH(int, toPiece);
        QFETCH(int, toOffset);
        QFETCH(int, key);
        const QByteArray minified = readFile(dataDir + QStringLiteral("site.min.css")).left(500);
        auto view = openText(QStringLiteral("two.css"), minified + "\n" + minified + "\n", 100, 30);
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
        if (key == Qt::Key_Cut) {
            view->copy();
            QCOMPARE(QGuiApplication::clipboard()->text(), before.mid(realFrom, realTo - realFrom));
            view->cut();
        } else {
            QTest::keyClick(view.get(), Qt::Key(key), Qt::NoModifier);
        }

        const QString typed = key == Qt::Key_X ? QStringLiteral("x") : QString();
        QCOMPARE(view->realText(), QString(before).replace(realFrom, realTo - realFrom, typed));
        doc->undo();
        QCOMPARE(view->realText(), before);
    }

    void openLineAroundLongLine_data()
    {
        QTest::addColumn<bool>("above");
        QTest::newRow("Ctrl+Return opens below the whole line") << false;
        QTest::newRow("Shift+Return opens above the whole line") << true;
    }

    // From any piece of a long line, the new line goes before or after the
    // file's line; below it takes the indentation of the line's first piece,
    // above that of the line above.
    void openLineAroundLongLine()
    {
        QFETCH(bool, above);
        const QByteArray minified = readFile(dataDir + QStringLiteral("site.min.js")).left(600);
        auto view = openText(QStringLiteral("indented.js"), "a();\n\t" + minified + "\nb();\n", 100, 40);
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

    // A pasted minified line is cut once typing pauses; the cut is part of the
    // paste's undo step.
    void grownLineCutAfterPause()
    {
        auto view = openText(QStringLiteral("page.html"), "<p>short</p>\n<p>lines</p>\n", 200, 60);
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
    void grownLineWaitsForColouring()
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
        QCOMPARE(coloursOfRealText(doc), coloursOfRealText(wholeView(path, view->realText())->document()));
    }

    // The margin numbers the file's lines and marks continuations; jumpToLine
    // counts the file's lines.
    void marginAndLineNumbers()
    {
        const QByteArray minified = readFile(dataDir + QStringLiteral("site.min.js")).left(600);
        auto view = openText(QStringLiteral("mixed.js"), "a=1;\n" + minified + "\nb=2;\nc=3;\n", 100, 40);
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

private:
    std::unique_ptr<EditView> openView(const QString &path, int threshold = -1, int piece = -1)
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
    // The text as one coloured block a line, named as `path` for its colouring.
    std::unique_ptr<EditView> wholeView(const QString &path, const QString &text)
    {
        auto view = std::make_unique<EditView>(&settings, nullptr);
        view->updateSettings();
        view->virtualBreaks()->setLimits(1 << 30, 1 << 30);
        view->setFullPath(path);
        view->loadText(text);
        waitColoured(*view);
        return view;
    }
    // Writes `bytes` to a file of the test's folder and opens it.
    std::unique_ptr<EditView> openText(const QString &name, const QByteArray &bytes, int threshold, int piece)
    {
        return writeFile(dir.filePath(name), bytes) ? openView(dir.filePath(name), threshold, piece) : nullptr;
    }
    GlobalSettings settings;
    QTemporaryDir dir;
};

QTEST_MAIN(TestVirtualBreaks)
#include "tst_virtualbreaks.moc"
