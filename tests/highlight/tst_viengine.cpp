#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "testsupport.h"

#include <QFontDatabase>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

namespace {

struct Fixture {
    explicit Fixture(const QString &marked)
    {
        settings.viEnabled = true;
        view = new EditViewBase(&settings, &engine);
        // Vertical moves keep the x position; equal advances keep it a column.
        view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        view->resize(400, 300);
        setCursorMarked(*view, marked);
    }
    ~Fixture() { delete view; }
    GlobalSettings settings;
    ViEngine engine;
    EditViewBase *view = nullptr;
};

} // namespace

class TestViEngine : public QObject
{
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
    void undoAndRedoCounts_data();
    void undoAndRedoCounts();
    void yankBufferState_data();
    void yankBufferState();
    void deleteTakesSelection();
    void countAndPrefixState_data();
    void countAndPrefixState();
    void stateSharedByViews();
    void moveCursorOperations_data();
    void moveCursorOperations();
    void moveLinesAgreesWithQtVerticalMoves_data();
    void moveLinesAgreesWithQtVerticalMoves();
    void clampToLine_data();
    void clampToLine();
    void modeChangeGuard_data();
    void modeChangeGuard();
};

void TestViEngine::commands_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("mode");

    const int cmd = ViEngine::CommandMode;
    const int ins = ViEngine::InsertMode;

    // Motions within a line.
    QTest::newRow("3l stops on the last character") << "abc|def" << "3l" << "abcde|f" << cmd;
    QTest::newRow("10l stops on the last character") << "abc|def" << "10l" << "abcde|f" << cmd;
    QTest::newRow("l on the last character stays") << "ab|c\nxyz" << "l" << "ab|c\nxyz" << cmd;
    QTest::newRow("blank moves right") << "a|bc" << " " << "ab|c" << cmd;
    QTest::newRow("2h") << "abcd|ef" << "2h" << "ab|cdef" << cmd;
    QTest::newRow("h stops at column 0") << "x\nab|c" << "9h" << "x\n|abc" << cmd;
    QTest::newRow("0 goes to column 0") << "  ab|c" << "0" << "|  abc" << cmd;
    QTest::newRow("^ to the first non-blank") << " \tab|c" << "^" << " \t|abc" << cmd;
    QTest::newRow("^ on a blank line rests on its last blank") << "a\n  |  " << "^" << "a\n   | " << cmd;
    QTest::newRow("$ on abc rests on c") << "|abc" << "$" << "ab|c" << cmd;
    QTest::newRow("$ on an empty line stays") << "ab\n|\ncd" << "$" << "ab\n|\ncd" << cmd;
    QTest::newRow("$ ignores a count") << "|abc\ndef" << "3$" << "ab|c\ndef" << cmd;

    // Motions across lines.
    const QString twelve = QStringLiteral("0\n1\n2\n3\n4\n5\n6\n7\n8\n9\na\nb");
    QTest::newRow("10j: the 0 extends the count")
            << "|" + twelve << "10j" << QString(twelve).insert(20, QLatin1Char('|')) << cmd;
    QTest::newRow("j keeps the column") << "ab|cd\nwxyz" << "j" << "abcd\nwx|yz" << cmd;
    QTest::newRow("j onto a shorter line rests on its last character")
            << "abc|d\nxy\nz" << "j" << "abcd\nx|y\nz" << cmd;
    QTest::newRow("j keeps the column across an empty line") << "ab|cd\n\nabcd" << "jj" << "abcd\n\nab|cd" << cmd;
    QTest::newRow("k keeps the column across an empty line") << "abcd\n\nabc|d" << "2k" << "abc|d\n\nabcd" << cmd;
    QTest::newRow("j past the last line does nothing") << "a|b\ncd" << "5j" << "a|b\ncd" << cmd;
    QTest::newRow("k on the first line does nothing") << "a|bc\nd" << "k" << "a|bc\nd" << cmd;
    QTest::newRow("2k") << "ab\ncd\ne|f" << "2k" << "a|b\ncd\nef" << cmd;
    QTest::newRow("Return goes to the first non-blank below") << "a|b\n   cd" << "\r" << "ab\n   |cd" << cmd;
    QTest::newRow("Return ignores the count") << "a|b\n cd\nef" << "3\r" << "ab\n |cd\nef" << cmd;
    QTest::newRow("line feed is Return") << "a|b\n\tcd" << "\n" << "ab\n\t|cd" << cmd;
    QTest::newRow("Return on the last line does nothing") << "ab\nc|d" << "\r" << "ab\nc|d" << cmd;
    QTest::newRow("gg goes to the first line, column 0") << "ab\ncd\nef|g" << "gg" << "|ab\ncd\nefg" << cmd;
    QTest::newRow("g swallows the j after it") << "|ab\ncd\nef" << "gj" << "|ab\ncd\nef" << cmd;
    QTest::newRow("only the key after g is swallowed") << "|ab\ncd\nef" << "gjj" << "ab\n|cd\nef" << cmd;
    QTest::newRow("unknown key drops the count") << "a|bcdef" << "3zl" << "ab|cdef" << cmd;

    // Entering insert mode.
    QTest::newRow("i") << "ab|c" << "i" << "ab|c" << ins;
    QTest::newRow("a may pass the last character") << "ab|c" << "a" << "abc|" << ins;
    QTest::newRow("a on an empty line") << "x\n|" << "a" << "x\n|" << ins;
    QTest::newRow("A") << "|abc\nd" << "A" << "abc|\nd" << ins;
    QTest::newRow("I") << "  ab|c" << "I" << "  |abc" << ins;
    QTest::newRow("o copies the indentation") << "  a|b\ncd" << "o" << "  ab\n  |\ncd" << ins;
    QTest::newRow("O takes the indentation of the line above")
            << "\tab\n    c|d" << "O" << "\tab\n\t|\n    cd" << ins;
    QTest::newRow("O on the first line") << "  a|b" << "O" << "|\n  ab" << ins;

    // Character deletes.
    QTest::newRow("x") << "a|bcd" << "x" << "a|cd" << cmd;
    QTest::newRow("3x") << "a|bcde" << "3x" << "a|e" << cmd;
    QTest::newRow("2x at the last character deletes only it") << "ab|c\nde" << "2x" << "ab|\nde" << cmd;
    QTest::newRow("x on an empty line keeps the line break") << "ab\n|\ncd" << "x" << "ab\n|\ncd" << cmd;
    QTest::newRow("X") << "ab|cd" << "X" << "a|cd" << cmd;
    QTest::newRow("5X stops at the line start") << "x\nab|cd" << "5X" << "x\n|cd" << cmd;
    QTest::newRow("X at column 0 does nothing") << "ab\n|cd" << "X" << "ab\n|cd" << cmd;

    // Paste.
    QTest::newRow("x then p: character paste after the cursor") << "a|bc" << "xp" << "ac|b" << cmd;
    QTest::newRow("x then P: character paste at the cursor") << "a|bc" << "xP" << "a|bc" << cmd;
    QTest::newRow("p on an empty line") << "a|b\n" << "xjp" << "a\n|b" << cmd;
    QTest::newRow("Y then p: a line below, cursor at its start") << "a|b\ncd" << "Yp" << "ab\n|ab\ncd" << cmd;
    QTest::newRow("Y then P: a line above") << "ab\nc|d" << "YP" << "ab\n|cd\ncd" << cmd;
    QTest::newRow("Y then P on the first line") << "a|b" << "YP" << "|ab\nab" << cmd;
    QTest::newRow("2Y on the last line yanks only it") << "ab\nc|d" << "2Yp" << "ab\ncd\n|cd" << cmd;
    QTest::newRow("2Y then p") << "|ab\ncd\nef" << "2Yp" << "ab\n|ab\ncd\ncd\nef" << cmd;
    QTest::newRow("indented lines paste as they were yanked")
            << "  a|b\n\tcd\nx" << "2Yjp" << "  ab\n\tcd\n|  ab\n\tcd\nx" << cmd;
    QTest::newRow("paste ignores the count") << "a|bc" << "x3p" << "ac|b" << cmd;
    QTest::newRow("nothing yanked, nothing pasted") << "a|bc" << "pP" << "a|bc" << cmd;
    QTest::newRow("a huge count neither overflows nor hangs")
            << "a|bc\nd" << "99999999999999999999l" << "ab|c\nd" << cmd;
}

void TestViEngine::commands()
{
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QString, after);
    QFETCH(int, mode);
    Fixture f(before);
    f.engine.processKeys(keys, f.view);
    QCOMPARE(cursorMarked(*f.view), after);
    QCOMPARE(int(f.engine.mode()), mode);
    QCOMPARE(f.engine.repeatCount(), 0);
    QCOMPARE(int(f.engine.pendingPrefix()), 0);
}

void TestViEngine::undoAndRedoCounts_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("after");  // text only

    QTest::newRow("5u undoes five deletes") << "|abcdefg" << "xxxxxx5u" << "bcdefg";
    QTest::newRow("u undoes one") << "|abc" << "xxu" << "bc";
    QTest::newRow("a paste is one step") << "a|b\ncd" << "Ypxu" << "ab\nab\ncd";
    QTest::newRow("2u after a linewise paste and a delete") << "a|b\ncd" << "Ypx2u" << "ab\ncd";
    QTest::newRow("U redoes") << "|abcd" << "xxx3u2U" << "cd";
    QTest::newRow("a huge undo count stops at the start") << "|abc" << "xx99999999999u" << "abc";
    QTest::newRow("a huge redo count stops at the end") << "|abc" << "xx2u99999999999U" << "c";
}

void TestViEngine::undoAndRedoCounts()
{
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QString, after);
    Fixture f(before);
    f.view->document()->clearUndoRedoStacks();
    f.engine.processKeys(keys, f.view);
    QCOMPARE(f.view->toPlainText(), after);
}

void TestViEngine::yankBufferState_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<bool>("linewise");

    QTest::newRow("x") << "a|bc" << "x" << "b" << false;
    QTest::newRow("3X") << "abc|d" << "3X" << "abc" << false;
    QTest::newRow("2Y joins with line feeds, no final one") << "|ab\n\tcd\nef" << "2Y" << "ab\n\tcd" << true;
    QTest::newRow("Y of an empty line") << "ab\n|\ncd" << "Y" << "" << true;
    QTest::newRow("Y then x") << "|ab" << "Yx" << "a" << false;
    QTest::newRow("x then Y") << "|ab" << "xY" << "b" << true;
    QTest::newRow("X at column 0 keeps the buffer") << "|ab" << "lxhX" << "b" << false;
    QTest::newRow("x at a line end keeps the lines yanked") << "|ab\n" << "Yjx" << "ab" << true;
    QTest::newRow("X at column 0 keeps the lines yanked") << "|ab\ncd" << "2YX" << "ab\ncd" << true;
    QTest::newRow("Y does not move the cursor, p pastes") << "|ab" << "Y" << "ab" << true;
}

void TestViEngine::yankBufferState()
{
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QString, buffer);
    QFETCH(bool, linewise);
    Fixture f(before);
    const int cursorBefore = f.view->textCursor().position();
    f.engine.processKeys(keys, f.view);
    QCOMPARE(f.engine.yankBuffer(), buffer);
    QCOMPARE(f.engine.linewise(), linewise);
    if (!keys.contains(QLatin1Char('x')) && !keys.contains(QLatin1Char('X')))
        QCOMPARE(f.view->textCursor().position(), cursorBefore);
}

void TestViEngine::deleteTakesSelection()
{
    Fixture f(QStringLiteral("ab|cd\nef"));
    QTextCursor c = f.view->textCursor();
    c.setPosition(1);
    c.setPosition(6, QTextCursor::KeepAnchor);
    f.view->setTextCursor(c);
    // The count does not matter while something is selected.
    f.engine.processKeys(QStringLiteral("1X"), f.view);
    QCOMPARE(f.view->toPlainText(), QStringLiteral("af"));
    QCOMPARE(f.engine.yankBuffer(), QStringLiteral("bcd\ne"));
    QVERIFY(!f.engine.linewise());
    f.engine.processKeys(QStringLiteral("P"), f.view);
    QCOMPARE(f.view->toPlainText(), QStringLiteral("abcd\nef"));
}

void TestViEngine::countAndPrefixState_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("prefix");

    QTest::newRow("digits build a count") << "12" << 12 << 0;
    QTest::newRow("0 inside a count") << "1000" << 1000 << 0;
    QTest::newRow("0 alone is a motion") << "0" << 0 << 0;
    QTest::newRow("g keeps the count") << "3g" << 3 << int('g');
    QTest::newRow("g alone counts once") << "g" << 1 << int('g');
    QTest::newRow("a long run of digits is clamped")
            << "99999999999999999999" << ViEngine::MaxRepeatCount << 0;
    QTest::newRow("gg clears both") << "3gg" << 0 << 0;
    QTest::newRow("a command clears the count") << "7l" << 0 << 0;
}

void TestViEngine::countAndPrefixState()
{
    QFETCH(QString, keys);
    QFETCH(int, count);
    QFETCH(int, prefix);
    Fixture f(QStringLiteral("ab|cdefghijkl"));
    f.engine.processKeys(keys, f.view);
    QCOMPARE(f.engine.repeatCount(), count);
    QCOMPARE(int(f.engine.pendingPrefix()), prefix);
}

void TestViEngine::stateSharedByViews()
{
    Fixture f(QStringLiteral("|first\nline"));
    EditViewBase other(&f.settings, &f.engine);
    other.setPlainText(QStringLiteral("abcdefgh"));

    f.engine.processKeys(QStringLiteral("Y"), f.view);
    f.engine.processKeys(QStringLiteral("3"), f.view);
    // The count typed in one view applies in the other.
    f.engine.processKeys(QStringLiteral("x"), &other);
    QCOMPARE(other.toPlainText(), QStringLiteral("defgh"));
    QCOMPARE(f.view->toPlainText(), QStringLiteral("first\nline"));
    QCOMPARE(f.engine.yankBuffer(), QStringLiteral("abc"));

    f.engine.processKeys(QStringLiteral("2Y"), f.view);
    f.engine.processKeys(QStringLiteral("P"), &other);
    QCOMPARE(other.toPlainText(), QStringLiteral("first\nline\ndefgh"));
}

void TestViEngine::moveCursorOperations_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("keepAnchor");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("anchor");

    QTest::newRow("left in line by 2") << "ab\ncd|e" << int(ViEngine::LeftInLine) << 2 << false << true << 3 << 3;
    QTest::newRow("left in line stops at column 0")
            << "ab\ncd|e" << int(ViEngine::LeftInLine) << 5 << false << true << 3 << 3;
    QTest::newRow("right in line may reach the line end")
            << "a|bc\nd" << int(ViEngine::RightInLine) << 5 << false << true << 3 << 3;
    QTest::newRow("right in line with the anchor kept")
            << "a|bc" << int(ViEngine::RightInLine) << 1 << true << true << 2 << 1;
    QTest::newRow("first non-blank") << "x\n \t y|z" << int(ViEngine::FirstNonBlank) << 1 << false << true << 5 << 5;
    QTest::newRow("first non-blank of a blank line is its end")
            << "x\n|   " << int(ViEngine::FirstNonBlank) << 1 << false << true << 5 << 5;
    QTest::newRow("word start selects the word before the cursor")
            << "a.foo_Bar9|x" << int(ViEngine::WordStart) << 1 << true << true << 2 << 10;
    QTest::newRow("word start stops at characters beyond Latin-1")
            << QStringLiteral("x\u3042ab|") << int(ViEngine::WordStart) << 1 << true << true << 2 << 4;
    QTest::newRow("word start accepts Latin-1 letters")
            << QStringLiteral("- \u00e9t\u00e9|") << int(ViEngine::WordStart) << 1 << false << true << 2 << 2;
    QTest::newRow("word start stays within its line")
            << "ab\n|cd" << int(ViEngine::WordStart) << 1 << false << true << 3 << 3;
}

void TestViEngine::moveCursorOperations()
{
    QFETCH(QString, before);
    QFETCH(int, op);
    QFETCH(int, n);
    QFETCH(bool, keepAnchor);
    QFETCH(bool, result);
    QFETCH(int, position);
    QFETCH(int, anchor);
    Fixture f(before);
    QTextCursor c = f.view->textCursor();
    QCOMPARE(ViEngine::moveCursor(c, op, keepAnchor ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor, n),
             result);
    if (position >= 0) {
        QCOMPARE(c.position(), position);
        QCOMPARE(c.anchor(), anchor);
    }
}

void TestViEngine::moveLinesAgreesWithQtVerticalMoves_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("n");

    QTest::newRow("down one") << "ab|c\nxyzw" << 1;
    QTest::newRow("up one") << "abc\nxy|zw" << -1;
    QTest::newRow("tab before the cursor") << "\tab|c\nabcdefghijklmnopqrstuvwxyz" << 1;
    QTest::newRow("onto a tab") << "abcdefghijk|lmnop\nx\ty" << 1;
    QTest::newRow("wide characters") << QStringLiteral("ab|c\n\u3042\u3044\u3046\u3048") << 1;
    QTest::newRow("to a shorter line") << "abcdef|g\nab\ncd" << 2;
    QTest::newRow("from the line end") << "x\nabc|" << -1;
    QTest::newRow("too far down") << "a|b\ncd" << 2;
    QTest::newRow("too far up") << "ab\nc|d" << -2;
}

void TestViEngine::moveLinesAgreesWithQtVerticalMoves()
{
    QFETCH(QString, before);
    QFETCH(int, n);
    Fixture f(before);
    QTextCursor ours = f.view->textCursor();
    QTextCursor qts = f.view->textCursor();
    const bool qtResult = qts.movePosition(n > 0 ? QTextCursor::Down : QTextCursor::Up,
                                           QTextCursor::MoveAnchor, qAbs(n));
    QCOMPARE(ViEngine::moveLines(ours, n), qtResult);
    if (qtResult)
        QCOMPARE(ours.position(), qts.position());
    else
        QCOMPARE(ours.position(), f.view->textCursor().position());
}

void TestViEngine::clampToLine_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("moved");
    QTest::addColumn<int>("position");

    QTest::newRow("past the last character") << "abc|\nd" << true << 2;
    QTest::newRow("on the last character") << "ab|c\nd" << false << 2;
    QTest::newRow("empty line") << "abc\n|\nd" << false << 4;
    QTest::newRow("column 0 of a line") << "abc\n|d" << false << 4;
    QTest::newRow("end of the document") << "ab\ncd|" << true << 4;
}

void TestViEngine::clampToLine()
{
    QFETCH(QString, before);
    QFETCH(bool, moved);
    QFETCH(int, position);
    Fixture f(before);
    QTextCursor c = f.view->textCursor();
    QCOMPARE(ViEngine::clampToLine(c), moved);
    QCOMPARE(c.position(), position);
}

void TestViEngine::modeChangeGuard_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("emissions");

    QTest::newRow("command to insert") << int(ViEngine::CommandMode) << int(ViEngine::InsertMode) << 1;
    QTest::newRow("insert to command") << int(ViEngine::InsertMode) << int(ViEngine::CommandMode) << 1;
    QTest::newRow("same mode is no change") << int(ViEngine::InsertMode) << int(ViEngine::InsertMode) << 0;
}

void TestViEngine::modeChangeGuard()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, emissions);
    ViEngine engine;
    engine.setMode(uchar(from));
    QList<std::pair<int, bool>> seen;  // mode and guard flag as a receiver sees them
    // A receiver that reacts the way the input-method notification does:
    // leave command mode unless the engine is announcing a change.
    connect(&engine, &ViEngine::modeChanged, &engine, [&](uchar m) {
        seen.append({engine.mode(), engine.inModeChange()});
        QCOMPARE(int(m), to);
        if (engine.mode() == ViEngine::CommandMode && !engine.inModeChange())
            engine.setMode(ViEngine::InsertMode);
    });
    engine.setMode(uchar(to));
    QCOMPARE(seen.size(), emissions);
    for (const auto &s : seen) {
        QCOMPARE(s.first, to);
        QVERIFY(s.second);
    }
    QCOMPARE(int(engine.mode()), to);
    QVERIFY(!engine.inModeChange());
}

QTEST_MAIN(TestViEngine)
#include "tst_viengine.moc"
