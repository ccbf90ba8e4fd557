// Very long lines shown as several blocks, on a real coloured view: what is
// saved, copied and numbered is the file's text; breaks the user makes are
// real ones; colouring equals that of the unbroken line. Searches over the
// breaks are rows of the search tests' tables.

#include "editor/documentfile.h"
#include "editor/virtualbreaks.h"
#include "highlight/syntaxhighlighter.h"
#include "testsupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextLayout>

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

class TestVirtualBreaks : public FixtureTest
{
    Q_OBJECT
private slots:
    void init()
    {
        FixtureTest::init();
        settings->load();
        settings->lineNumber = true;
        settings->fontFamily = QStringLiteral("DejaVu Sans Mono");
        for (int i = 0; i < GlobalSettings::ColorCount; ++i)
            settings->colors[i] = QColor::fromHsv((i * 37) % 360, 180, 120 + (i * 7) % 120);
    }
    void savedAsRead_data() { addTableRows("editor/longlines.txt"); }

    // Open, save unedited; edit at several places (one of them a break), undo
    // everything, save again: the file's bytes both times. The colour of every
    // character is the one it has when the line is one block, also after an
    // edit.
    void savedAsRead()
    {
        QFETCH(QStringList, fields);
        QString path = fields.at(0);
        path = path.startsWith(u'/') ? path : path.startsWith(u'$') ? path.replace(QLatin1String("$MADE"), QStringLiteral(MOSSGLEN_MINIFIED_DIR)) : dataDir + path;
        if (!QFile::exists(path))
            QSKIP(qPrintable(path + QStringLiteral(" is not installed")));
        const QByteArray original = readFile(path);
        auto view = openView(path, fields.at(1).toInt(), fields.at(2).toInt());
        QTextDocument *doc = view->document();
        QVERIFY2(continuationCount(doc) > 3, "the file is not cut at all");
        QVERIFY(doc->availableUndoSteps() == 0 && !doc->isModified());
        QCOMPARE(saved(*view), original);
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
        QCOMPARE(saved(*view), original);
        if (fields.at(3) != QLatin1String("yes"))
            return;

        auto broken = openView(path, 200, 50);
        QVERIFY(continuationCount(broken->document()) > 100);
        waitColoured(*broken);
        const auto whole = wholeView(path, broken->realText());
        QCOMPARE(whole->document()->blockCount(), original.count('\n') + 1);
        QCOMPARE(coloursOfRealText(broken->document()), coloursOfRealText(whole->document()));
        if (fields.value(5).isEmpty())
            return;

        // An edit in the first piece of a long line that changes how the rest
        // of the line reads recolours the pieces behind it, as a fresh load would.
        const int at = fields.at(4).toInt();
        focusAt(*broken, at);
        QTest::keyClicks(broken->viewport(), fields.at(5));
        waitColoured(*broken);
        const QString edited = QString::fromUtf8(original).insert(at, fields.at(5));
        QCOMPARE(broken->realText(), edited);
        QCOMPARE(coloursOfRealText(broken->document()), coloursOfRealText(wholeView(path, edited)->document()));
    }

    void keyOnPieces_data() { addTableRows("editor/editbreaks.txt"); }

    // A break typed or pasted is in the file, and copied text has no virtual
    // ones; one undo takes the change back and the virtual breaks stay as
    // they were.
    void keyOnPieces()
    {
        QFETCH(QStringList, fields);
        const QByteArray minified = readFile(dataDir + QStringLiteral("site.min.css")).left(500);
        auto view = openText(QStringLiteral("two.css"), minified + "\n" + minified + "\n", 100, 30);
        QTextDocument *doc = view->document();
        const QString before = view->realText();
        const int continuations = continuationCount(doc);
        const auto position = [&](const QString &place) {
            const QStringList at = place.split(u' ');
            QTextBlock block = view->virtualBreaks()->blockOfRealLine(at.at(0).toInt() + 1);
            for (int i = at.at(1).toInt(); i > 0; --i)
                block = block.next();
            return block.position() + at.at(2).toInt();
        };
        const int start = position(fields.at(0));
        const int end = fields.at(1).isEmpty() ? start : position(fields.at(1));
        const int realFrom = view->virtualBreaks()->toReal(start);
        const int realTo = view->virtualBreaks()->toReal(end);
        focusAt(*view, start);
        QTextCursor selection = view->textCursor();
        selection.setPosition(end, QTextCursor::KeepAnchor);
        view->setTextCursor(selection);
        if (!fields.at(3).isEmpty())
            QGuiApplication::clipboard()->setText(fields.at(3));
        const QKeyCombination key = QKeySequence::fromString(fields.at(2))[0];
        QTest::keyClick(view.get(), key.key(), key.keyboardModifiers());

        const int removedBefore = fields.at(4).toInt();
        int removedAfter = fields.at(5).toInt();
        while (key.key() == Qt::Key_Return && before.at(realTo + removedAfter) == u' ')
            ++removedAfter;
        const QString expected = QString(before).replace(realFrom - removedBefore, realTo - realFrom + removedBefore + removedAfter, fields.at(6));
        QCOMPARE(view->realText(), expected);
        QCOMPARE(view->virtualBreaks()->toReal(view->textCursor().position()), realFrom - removedBefore + fields.at(6).size());
        if (key.key() == Qt::Key_X && key.keyboardModifiers() == Qt::ControlModifier)
            QCOMPARE(QGuiApplication::clipboard()->text(), before.mid(realFrom, realTo - realFrom));
        QCOMPARE(QString::fromUtf8(saved(*view)), expected);
        doc->undo();
        QCOMPARE(view->realText(), before);
        QCOMPARE(continuationCount(doc), continuations);
        doc->redo();
        QCOMPARE(view->realText(), expected);

        // Without an undo stack no change is an undo: the break is real too.
        doc->undo();
        doc->setUndoRedoEnabled(false);
        focusAt(*view, start);
        QTest::keyClick(view.get(), Qt::Key_Return);
        QCOMPARE(view->realText().count(u'\n'), before.count(u'\n') + 1);
    }

    // A long line pasted below lines the colouring has not reached yet is cut
    // once typing pauses and their states are known, from those states; the
    // cut is part of the paste's undo step.
    void grownLineCutOnceColoured()
    {
        const QString path = dir->filePath(QStringLiteral("long.html"));
        QVERIFY(writeFile(path, QByteArray("<script>\n") + QByteArray("x = 1;\n").repeated(100000)));
        auto view = newView(path, 200, 60);
        view->highlighter()->setSliceLimits(1, 1);  // a line a turn: far from done
        QVERIFY(readDocument(view.get(), path));
        QTextDocument *doc = view->document();
        const QString script = QString::fromUtf8(readFile(dataDir + QStringLiteral("site.min.js"))).left(1500);
        view->moveCursor(QTextCursor::End);
        QGuiApplication::clipboard()->setText(script);
        view->paste();
        QVERIFY(view->highlighter()->isBusy() && continuationCount(doc) == 0);
        QTRY_VERIFY_WITH_TIMEOUT(continuationCount(doc) > 10, 20000);
        QCOMPARE(view->realText(), QString::fromUtf8(readFile(path)) + script);
        for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next())
            QVERIFY(b.length() - 1 <= 200);
        // Cut from the script state the lines above end in: coloured as whole.
        waitColoured(*view);
        QCOMPARE(coloursOfRealText(doc), coloursOfRealText(wholeView(path, view->realText())->document()));
        doc->undo();
        QCOMPARE(view->realText(), QString::fromUtf8(readFile(path)));
        QCOMPARE(doc->blockCount(), 100002);
    }

    // The margin numbers the file's lines and marks continuations; jumpToLine
    // counts the file's lines. From any piece of a long line, Ctrl+Return opens
    // a line below the file's line with the indentation of its first piece,
    // Shift+Return one above it with that of the line above. One undo step
    // that changes text far apart reports one range over the breaks between:
    // those stay virtual. Tab on a selection indents the file's lines, not the
    // pieces of a long one. A line typed long is cut too.
    void pageWithALongLine()
    {
        const QString minified = QString::fromUtf8(readFile(dataDir + QStringLiteral("site.min.js")).left(600));
        const QString text = "a=1;\n\t" + minified + "\nb=2;\nc=3;\n";
        auto view = openText(QStringLiteral("mixed.js"), text.toUtf8(), 100, 40);
        view->resize(500, 2000);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        const int continuations = continuationCount(view->document());
        QVERIFY(continuations >= 10);
        QStringList labels;
        for (const EditViewBase::MarginLabel &label : view->marginLabels(0, view->viewport()->height()))
            labels.append(label.text);
        QCOMPARE(labels, QStringList({"1:", "2:"}) + QStringList(continuations, QStringLiteral("\u21b3")) + QStringList({"3:", "4:", "5:"}));
        view->jumpToLine(4);
        QCOMPARE(view->textCursor().block().text(), QStringLiteral("c=3;"));
        view->jumpToLine(5);
        QCOMPARE(view->textCursor().block(), view->document()->lastBlock());
        view->jumpToLine(2);
        QCOMPARE(view->textCursor().blockNumber(), 1);
        for (int beyond : {0, 6}) {  // outside the file: stays
            view->jumpToLine(beyond);
            QCOMPARE(view->textCursor().blockNumber(), 1);
        }

        for (bool above : {false, true}) {
            focusAt(*view, nthContinuation(view->document(), 4).position() + 3);
            QTest::keyClick(view.get(), Qt::Key_Return, above ? Qt::ShiftModifier : Qt::ControlModifier);
            QCOMPARE(view->realText(), above ? "a=1;\n\n\t" + minified + "\nb=2;\nc=3;\n" : "a=1;\n\t" + minified + "\n\t\nb=2;\nc=3;\n");
            QCOMPARE(view->realLineNumber(view->textCursor().block()), above ? 2 : 3);
            view->undo();
            QCOMPARE(view->realText(), text);
        }

        QTextDocument *doc = view->document();
        QTextCursor edit(doc);
        edit.beginEditBlock();
        edit.setPosition(nthContinuation(doc, 1).position() + 1);
        edit.insertText(QStringLiteral("A"));
        edit.setPosition(nthContinuation(doc, 9).position() + 1);
        edit.insertText(QStringLiteral("B\nC"));
        edit.endEditBlock();
        QCOMPARE(continuationCount(doc), continuations);  // the new line is real
        QCOMPARE(view->realText().count(u'\n'), text.count(u'\n') + 1);
        doc->undo();
        QCOMPARE(view->realText(), text);

        focusAt(*view, 0);
        view->selectAll();
        QTest::keyClick(view.get(), Qt::Key_Tab);
        QCOMPARE(view->realText(), "\ta=1;\n\t\t" + minified + "\n\tb=2;\n\tc=3;\n");
        QCOMPARE(continuationCount(doc), continuations);
        doc->undo();
        QCOMPARE(view->realText(), text);

        // Typed keys are an undo step of their own and the cut that follows is
        // another. Undoing the cut must not bring it back once typing pauses:
        // the typing could never be undone, nor the undo redone.
        focusAt(*view, view->virtualBreaks()->blockOfRealLine(3).position() + 4);
        QTest::keyClicks(view.get(), QStringLiteral("x=1;").repeated(60));
        QTRY_VERIFY(continuationCount(doc) > continuations);
        const QString typed = view->realText();
        doc->undo();
        QTest::qWait(1000);
        QCOMPARE(continuationCount(doc), continuations);
        QCOMPARE(view->realText(), typed);
        doc->undo();
        QCOMPARE(view->realText(), text);
        doc->redo();
        doc->redo();
        QCOMPARE(view->realText(), typed);
        QVERIFY(continuationCount(doc) > continuations);
        // A key typed into the line again cuts it again.
        doc->undo();
        QTest::keyClick(view.get(), Qt::Key_Semicolon);
        QTRY_VERIFY(continuationCount(doc) > continuations);
    }

private:
    // A coloured view named as `path`, for its colouring; lines longer than
    // `threshold` are cut in pieces of `piece` (-1: the view's own limits).
    std::unique_ptr<EditView> newView(const QString &path, int threshold = -1, int piece = -1)
    {
        auto view = std::make_unique<EditView>(settings.get(), nullptr);
        view->updateSettings();
        view->resize(700, 500);
        if (threshold > 0)
            view->virtualBreaks()->setLimits(threshold, piece);
        view->setFullPath(path);
        return view;
    }
    // A file that cannot be read ends the test program.
    std::unique_ptr<EditView> openView(const QString &path, int threshold = -1, int piece = -1)
    {
        auto view = newView(path, threshold, piece);
        if (!readDocument(view.get(), path))
            qFatal("cannot read %s", qPrintable(path));
        return view;
    }
    // The text as one coloured block a line.
    std::unique_ptr<EditView> wholeView(const QString &path, const QString &text)
    {
        auto view = newView(path, 1 << 30, 1 << 30);
        view->loadText(text);
        waitColoured(*view);
        return view;
    }
    // Writes `bytes` to a file of the test's folder and opens it.
    std::unique_ptr<EditView> openText(const QString &name, const QByteArray &bytes, int threshold, int piece)
    {
        return writeFile(dir->filePath(name), bytes) ? openView(dir->filePath(name), threshold, piece) : nullptr;
    }
    // What saving the view writes.
    QByteArray saved(EditView &view)
    {
        return writeDocument(&view, dir->filePath(QStringLiteral("saved"))) ? readFile(dir->filePath(QStringLiteral("saved"))) : "(not written)";
    }
};

QTEST_MAIN(TestVirtualBreaks)
#include "tst_virtualbreaks.moc"
