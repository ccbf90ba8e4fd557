#include "editor/commandstatistics.h"
#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "testsupport.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

namespace {

// Every name a key press can be counted under.
const QStringList &allEditNames()
{
    static const QStringList names = {
        "Edit.SelectAll", "Edit.WordBackspace", "Edit.OpenNextLine", "Edit.WordDelete",
        "Edit.StartOfDoc", "Edit.EndOfDoc", "Edit.PrevWord", "Edit.NextWord",
        "Edit.OpenPrevLine", "Edit.SelToStartOfBlock", "Edit.SelToEndOfBlock", "Edit.SelLeft",
        "Edit.SelUp", "Edit.SelRight", "Edit.SelDown", "Edit.Escape", "Edit.Backspace",
        "Edit.Delete", "Edit.StartOfBlock", "Edit.EndOfBlock", "Edit.Left", "Edit.Right",
        "Edit.Up", "Edit.Down", "Edit.PageUp", "Edit.PageDown", "Edit.InsNormalChar",
        "Edit.InsEnter", "Edit.openLineAbove", "Edit.openLineBelow",
    };
    return names;
}

QStringList countedNames()
{
    QStringList counted;
    for (const QString &name : allEditNames())
        for (int i = commandCount(name); i > 0; --i)
            counted.append(name);
    return counted;
}

struct Fixture {
    explicit Fixture(const QString &marked, int mode = ViEngine::InsertMode)
    {
        settings.tabWidth = 4;
        engine.setMode(uchar(mode));
        settings.viEnabled = mode == ViEngine::CommandMode;
        view = new EditViewBase(&settings, &engine);
        view->resize(400, 300);
        setCursorMarked(*view, marked);
        clearCommandStatistics();
    }
    ~Fixture() { delete view; }
    GlobalSettings settings;
    ViEngine engine;
    EditViewBase *view = nullptr;
};

} // namespace

class TestEditKeys : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { clearCommandStatistics(); }

    void autoIndent_data();
    void autoIndent();
    void softTab_data();
    void softTab();
    void indentSelection_data();
    void indentSelection();
    void openLine_data();
    void openLine();
    void matchingBracket_data();
    void matchingBracket();
    void deleteInLine_data();
    void deleteInLine();
    void commandNames_data();
    void commandNames();
    void commandModeRouting_data();
    void commandModeRouting();
    void countSurvivesControlKeys();
    void escape_data();
    void escape();
};

void TestEditKeys::autoIndent_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("indent copied at the line end") << "    foo|" << "    foo\n    |";
    QTest::newRow("before the last letter") << "    fo|o" << "    fo\n    |o";
    QTest::newRow("right after the indent: no doubled indent") << "    |foo" << "    \n    |foo";
    QTest::newRow("inside the indent: the whole run is copied") << "  |  x" << "  \n    |x";
    QTest::newRow("blanks after the cursor go") << "ab|  cd" << "ab\n|cd";
    QTest::newRow("tabs after the cursor go too") << "ab|\t cd" << "ab\n|cd";
    QTest::newRow("tabs and blanks copied as they are") << "\t x|y" << "\t x\n\t |y";
    QTest::newRow("a blank line") << "   |" << "   \n   |";
    QTest::newRow("only the cursor's line counts") << "  a\nb|c" << "  a\nb\n|c";
    QTest::newRow("a selection is replaced") << "  a^bc|d" << "  a\n  |d";
}

void TestEditKeys::autoIndent()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    Fixture f(before);
    const QString original = f.view->toPlainText();
    QTest::keyClick(f.view, Qt::Key_Return);
    QCOMPARE(cursorMarked(*f.view), after);
    QCOMPARE(countedNames(), (QStringList{"Edit.InsNormalChar", "Edit.InsEnter"}));
    f.view->undo();
    QCOMPARE(f.view->toPlainText(), original);
}

void TestEditKeys::softTab_data()
{
    QTest::addColumn<bool>("softTab");
    QTest::addColumn<int>("tabWidth");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("column 1 of 4") << true << 4 << "a|" << "a   |";
    QTest::newRow("column 4 of 4: a whole stop") << true << 4 << "abcd|" << "abcd    |";
    QTest::newRow("column 0") << true << 4 << "|x" << "    |x";
    QTest::newRow("a tab character counts as one column") << true << 4 << "\tb|" << "\tb  |";
    QTest::newRow("in the middle of a line") << true << 3 << "ab|cd" << "ab |cd";
    QTest::newRow("columns count from the line start") << true << 4 << "abcdef\na|" << "abcdef\na   |";
    QTest::newRow("tab width 0 falls back to one column") << true << 0 << "ab|" << "ab |";
    QTest::newRow("negative tab width falls back to one column") << true << -3 << "ab|" << "ab |";
    QTest::newRow("soft tabs off: a tab character") << false << 4 << "ab|" << "ab\t|";
}

void TestEditKeys::softTab()
{
    QFETCH(bool, softTab);
    QFETCH(int, tabWidth);
    QFETCH(QString, before);
    QFETCH(QString, after);
    Fixture f(before);
    f.settings.softTab = softTab;
    f.settings.tabWidth = tabWidth;
    QTest::keyClick(f.view, Qt::Key_Tab);
    QCOMPARE(cursorMarked(*f.view), after);
    QVERIFY(countedNames().isEmpty());
}

void TestEditKeys::indentSelection_data()
{
    QTest::addColumn<bool>("softTab");
    QTest::addColumn<int>("tabWidth");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");  // text only

    QTest::newRow("lines 2 to 4 with the break after line 4")
            << false << 4 << "l1\n^l2\nl3\nl4\n|l5" << "l1\n\tl2\n\tl3\n\tl4\nl5";
    QTest::newRow("the same selected backwards")
            << false << 4 << "l1\n|l2\nl3\nl4\n^l5" << "l1\n\tl2\n\tl3\n\tl4\nl5";
    QTest::newRow("ending inside a line indents it") << false << 4 << "l1\n^l2\nl|3" << "l1\n\tl2\n\tl3";
    QTest::newRow("starting inside a line indents it") << false << 4 << "l^1\nl|2\nl3" << "\tl1\n\tl2\nl3";
    QTest::newRow("inside one line") << false << 4 << "ab\nc^d|e\nf" << "ab\n\tcde\nf";
    QTest::newRow("empty lines are indented too") << false << 4 << "^a\n\nb|" << "\ta\n\t\n\tb";
    QTest::newRow("soft tabs: tab width blanks") << true << 2 << "^a\nb|" << "  a\n  b";
    QTest::newRow("soft tabs, tab width 0: one blank") << true << 0 << "^a\nb|" << " a\n b";
}

void TestEditKeys::indentSelection()
{
    QFETCH(bool, softTab);
    QFETCH(int, tabWidth);
    QFETCH(QString, before);
    QFETCH(QString, after);
    Fixture f(before);
    f.settings.softTab = softTab;
    f.settings.tabWidth = tabWidth;
    const QString original = f.view->toPlainText();
    QTest::keyClick(f.view, Qt::Key_Tab);
    QCOMPARE(f.view->toPlainText(), after);
    QVERIFY(f.view->textCursor().hasSelection());
    f.view->undo();
    QCOMPARE(f.view->toPlainText(), original);
}

void TestEditKeys::openLine_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("name");

    const int shift = Qt::ShiftModifier;
    const int control = Qt::ControlModifier;
    QTest::newRow("above the first line: no indentation")
            << shift << "  a|b\nc" << "|\n  ab\nc" << "Edit.openLineAbove";
    QTest::newRow("above takes the line above's indentation")
            << shift << "\tx\n    a|b" << "\tx\n\t|\n    ab" << "Edit.openLineAbove";
    QTest::newRow("above drops a selection") << shift << "x\n^a|b" << "x\n|\nab" << "Edit.openLineAbove";
    QTest::newRow("below copies the indentation")
            << control << "  a|b\nc" << "  ab\n  |\nc" << "Edit.openLineBelow";
    QTest::newRow("below the last line") << control << "x\n\t|y" << "x\n\ty\n\t|" << "Edit.openLineBelow";
    QTest::newRow("below drops a selection") << control << "^a|b\nc" << "ab\n|\nc" << "Edit.openLineBelow";
}

void TestEditKeys::openLine()
{
    QFETCH(int, modifiers);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, name);
    Fixture f(before);
    const QString original = f.view->toPlainText();
    QTest::keyClick(f.view, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(cursorMarked(*f.view), after);
    QCOMPARE(countedNames(), QStringList{name});
    f.view->undo();
    QCOMPARE(f.view->toPlainText(), original);
}

void TestEditKeys::matchingBracket_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("forwards over a nested pair") << "f|(a(b)c)" << "f(a(b)c|)";
    QTest::newRow("the first bracket right of the cursor") << "|f(a(b)c)" << "f(a(b)c|)";
    QTest::newRow("forwards across lines") << "if |(a\n  (b)\n) x" << "if (a\n  (b)\n|) x";
    QTest::newRow("backwards across lines") << "{\n  x;\n|}" << "|{\n  x;\n}";
    QTest::newRow("backwards over empty lines") << "a{\n\n\n|}" << "a|{\n\n\n}";
    QTest::newRow("backwards over a nested pair") << "((a)(b)|)" << "|((a)(b))";
    QTest::newRow("other kinds are not counted") << "|( { ) }" << "( { |) }";
    QTest::newRow("square brackets forwards") << "a|[[x]\n]" << "a[[x]\n|]";
    QTest::newRow("square brackets backwards, others ignored") << "[ ( [ ] |]" << "|[ ( [ ] ]";
    QTest::newRow("closing bracket after the cursor") << "{ a |b }" << "|{ a b }";
    QTest::newRow("no bracket right of the cursor") << "(a)b|c" << "(a)b|c";
    QTest::newRow("no partner before the end") << "|(a(b)\n" << "|(a(b)\n";
    QTest::newRow("no partner before the start") << "\n(a)|)" << "\n(a)|)";
    QTest::newRow("a selection is dropped") << "^x|{}" << "x{|}";
}

void TestEditKeys::matchingBracket()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    Fixture f(before);
    f.view->jumpToMatchingBracket();
    QCOMPARE(cursorMarked(*f.view), after);
}

void TestEditKeys::deleteInLine_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("removed");

    QTest::newRow("two forward") << "a|bcd" << 2 << "a|d" << "bc";
    QTest::newRow("forward stops at the line end") << "ab|c\nd" << 5 << "ab|\nd" << "c";
    QTest::newRow("at the line end nothing") << "abc|\nd" << 1 << "abc|\nd" << "";
    QTest::newRow("backward stops at the line start") << "ab\nc|d" << -4 << "ab\n|d" << "c";
    QTest::newRow("at the line start nothing") << "ab\n|cd" << -1 << "ab\n|cd" << "";
    QTest::newRow("count 0 nothing") << "a|b" << 0 << "a|b" << "";
    QTest::newRow("the most negative count") << "x\nab|c" << int(INT_MIN) << "x\n|c" << "ab";
    QTest::newRow("the largest count") << "a|bc\nd" << int(INT_MAX) << "a|\nd" << "bc";
    QTest::newRow("a selection whatever the count") << "a^b\nc|d" << -1 << "a|d" << "b\nc";
}

void TestEditKeys::deleteInLine()
{
    QFETCH(QString, before);
    QFETCH(int, count);
    QFETCH(QString, after);
    QFETCH(QString, removed);
    Fixture f(before);
    QString taken = QStringLiteral("stale");
    f.view->deleteInLine(count, &taken);
    QCOMPARE(cursorMarked(*f.view), after);
    QCOMPARE(taken, removed);
}

void TestEditKeys::commandNames_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("names");

    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    const int shift = Qt::ShiftModifier;
    const int alt = Qt::AltModifier;
    const int keypad = Qt::KeypadModifier;
    const QStringList nothing;

    QTest::newRow("Ctrl+A") << int(Qt::Key_A) << ctrl << QStringList{"Edit.SelectAll"};
    QTest::newRow("Ctrl+Backspace") << int(Qt::Key_Backspace) << ctrl << QStringList{"Edit.WordBackspace"};
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Enter) << (ctrl | keypad) << QStringList{"Edit.OpenNextLine"};
    QTest::newRow("Ctrl+Delete") << int(Qt::Key_Delete) << ctrl << QStringList{"Edit.WordDelete"};
    QTest::newRow("Ctrl+Home") << int(Qt::Key_Home) << ctrl << QStringList{"Edit.StartOfDoc"};
    QTest::newRow("Ctrl+End") << int(Qt::Key_End) << ctrl << QStringList{"Edit.EndOfDoc"};
    QTest::newRow("Ctrl+Left") << int(Qt::Key_Left) << ctrl << QStringList{"Edit.PrevWord"};
    QTest::newRow("Ctrl+Right") << int(Qt::Key_Right) << ctrl << QStringList{"Edit.NextWord"};
    QTest::newRow("Ctrl+Up") << int(Qt::Key_Up) << ctrl << nothing;
    QTest::newRow("Ctrl+B") << int(Qt::Key_B) << ctrl << nothing;
    QTest::newRow("Ctrl+Shift+A") << int(Qt::Key_A) << (ctrl | shift) << nothing;
    QTest::newRow("Ctrl+Shift+Left") << int(Qt::Key_Left) << (ctrl | shift) << nothing;
    QTest::newRow("Shift+Enter") << int(Qt::Key_Enter) << (shift | keypad) << QStringList{"Edit.OpenPrevLine"};
    QTest::newRow("Shift+Home") << int(Qt::Key_Home) << shift << QStringList{"Edit.SelToStartOfBlock"};
    QTest::newRow("Shift+End") << int(Qt::Key_End) << shift << QStringList{"Edit.SelToEndOfBlock"};
    QTest::newRow("Shift+Left") << int(Qt::Key_Left) << shift << QStringList{"Edit.SelLeft"};
    QTest::newRow("Shift+Up") << int(Qt::Key_Up) << shift << QStringList{"Edit.SelUp"};
    QTest::newRow("Shift+Right") << int(Qt::Key_Right) << shift << QStringList{"Edit.SelRight"};
    QTest::newRow("Shift+Down") << int(Qt::Key_Down) << shift << QStringList{"Edit.SelDown"};
    QTest::newRow("Shift+A: a capital letter") << int(Qt::Key_A) << shift << nothing;
    QTest::newRow("Shift+PageDown") << int(Qt::Key_PageDown) << shift << nothing;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << QStringList{"Edit.Escape"};
    QTest::newRow("Shift+Escape") << int(Qt::Key_Escape) << shift << nothing;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << QStringList{"Edit.Backspace"};
    QTest::newRow("Delete") << int(Qt::Key_Delete) << none << QStringList{"Edit.Delete"};
    QTest::newRow("Home") << int(Qt::Key_Home) << none << QStringList{"Edit.StartOfBlock"};
    QTest::newRow("End") << int(Qt::Key_End) << none << QStringList{"Edit.EndOfBlock"};
    QTest::newRow("Left") << int(Qt::Key_Left) << none << QStringList{"Edit.Left"};
    QTest::newRow("Right") << int(Qt::Key_Right) << none << QStringList{"Edit.Right"};
    QTest::newRow("Up") << int(Qt::Key_Up) << none << QStringList{"Edit.Up"};
    QTest::newRow("Down") << int(Qt::Key_Down) << none << QStringList{"Edit.Down"};
    QTest::newRow("PageUp") << int(Qt::Key_PageUp) << none << QStringList{"Edit.PageUp"};
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << none << QStringList{"Edit.PageDown"};
    QTest::newRow("a letter") << int(Qt::Key_A) << none << QStringList{"Edit.InsNormalChar"};
    QTest::newRow("a digit") << int(Qt::Key_5) << none << QStringList{"Edit.InsNormalChar"};
    QTest::newRow("F5") << int(Qt::Key_F5) << none << QStringList{"Edit.InsNormalChar"};
    QTest::newRow("Insert") << int(Qt::Key_Insert) << none << QStringList{"Edit.InsNormalChar"};
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << keypad << QStringList{"Edit.InsNormalChar"};
    QTest::newRow("keypad digit") << int(Qt::Key_7) << keypad << QStringList{"Edit.InsNormalChar"};
    QTest::newRow("Return") << int(Qt::Key_Return) << none
                            << QStringList{"Edit.InsNormalChar", "Edit.InsEnter"};
    QTest::newRow("Shift+Return") << int(Qt::Key_Return) << shift << QStringList{"Edit.openLineAbove"};
    QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << ctrl << QStringList{"Edit.openLineBelow"};
    QTest::newRow("Ctrl+Shift+Return") << int(Qt::Key_Return) << (ctrl | shift) << nothing;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << nothing;
    QTest::newRow("Alt+Left") << int(Qt::Key_Left) << alt << nothing;
    QTest::newRow("Alt+letter") << int(Qt::Key_A) << alt << nothing;
    QTest::newRow("Alt+Escape") << int(Qt::Key_Escape) << alt << nothing;
    QTest::newRow("Ctrl+Alt+A") << int(Qt::Key_A) << (ctrl | alt) << nothing;
    QTest::newRow("Alt+Return") << int(Qt::Key_Return) << alt << nothing;
}

void TestEditKeys::commandNames()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, names);
    Fixture f(QStringLiteral("ab\nc|d\nef"));
    QTest::keyClick(f.view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(countedNames(), names);
}

void TestEditKeys::commandModeRouting_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("names");

    const int none = Qt::NoModifier;
    const QStringList nothing;
    // Keys the engine takes are not counted.
    QTest::newRow("x goes to the engine") << int(Qt::Key_X) << none << "x" << "a|bc" << "a|c" << nothing;
    QTest::newRow("Shift does not matter") << int(Qt::Key_X) << int(Qt::ShiftModifier) << "X"
                                           << "ab|c" << "a|c" << nothing;
    QTest::newRow("Alt does not matter") << int(Qt::Key_X) << int(Qt::AltModifier) << "x"
                                         << "a|bc" << "a|c" << nothing;
    QTest::newRow("Return is the vi line move") << int(Qt::Key_Return) << none << "\r"
                                                << "a|b\n cd" << "ab\n |cd" << nothing;
    QTest::newRow("Tab does nothing") << int(Qt::Key_Tab) << none << "\t" << "a|b" << "a|b" << nothing;
    QTest::newRow("a lone Shift does nothing") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << ""
                                               << "a|b" << "a|b" << nothing;
    QTest::newRow("Left keeps editing") << int(Qt::Key_Left) << none << "" << "ab|c" << "a|bc"
                                        << QStringList{"Edit.Left"};
    QTest::newRow("End keeps editing") << int(Qt::Key_End) << none << "" << "a|bc" << "abc|"
                                       << QStringList{"Edit.EndOfBlock"};
    QTest::newRow("Down keeps editing") << int(Qt::Key_Down) << none << "" << "|ab\ncd" << "ab\n|cd"
                                        << QStringList{"Edit.Down"};
    QTest::newRow("Delete keeps editing") << int(Qt::Key_Delete) << none << "" << "a|bc" << "a|c"
                                          << QStringList{"Edit.Delete"};
    QTest::newRow("Home keeps editing") << int(Qt::Key_Home) << none << "" << "ab|c" << "|abc"
                                        << QStringList{"Edit.StartOfBlock"};
    QTest::newRow("Ctrl+A keeps editing") << int(Qt::Key_A) << int(Qt::ControlModifier) << "\x01"
                                          << "a|bc" << "^abc|" << QStringList{"Edit.SelectAll"};
    QTest::newRow("Ctrl+Return opens a line") << int(Qt::Key_Return) << int(Qt::ControlModifier) << "\r"
                                              << "a|b" << "ab\n|" << QStringList{"Edit.openLineBelow"};
    QTest::newRow("Escape steps left") << int(Qt::Key_Escape) << none << "\x1b" << "ab|c" << "a|bc"
                                       << QStringList{"Edit.Escape"};
}

void TestEditKeys::commandModeRouting()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QStringList, names);
    Fixture f(before, ViEngine::CommandMode);
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QApplication::sendEvent(f.view, &press);
    QVERIFY(press.isAccepted());
    QCOMPARE(cursorMarked(*f.view), after);
    QCOMPARE(countedNames(), names);
    QCOMPARE(int(f.engine.mode()), int(ViEngine::CommandMode));
}

void TestEditKeys::countSurvivesControlKeys()
{
    Fixture f(QStringLiteral("|abcdef"), ViEngine::CommandMode);
    QTest::keyClick(f.view, Qt::Key_3);
    QCOMPARE(f.engine.repeatCount(), 3);
    // Control keys never reach the engine, so they neither use nor drop the count.
    QTest::keyClick(f.view, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(f.view, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(f.view, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(f.engine.repeatCount(), 3);
    QTest::keyClick(f.view, Qt::Key_Home);
    QTest::keyClick(f.view, Qt::Key_X);
    QCOMPARE(f.view->toPlainText(), QStringLiteral("def"));
    QCOMPARE(f.engine.yankBuffer(), QStringLiteral("abc"));
}

void TestEditKeys::escape_data()
{
    QTest::addColumn<bool>("viEnabled");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("mode");

    const int cmd = ViEngine::CommandMode;
    const int ins = ViEngine::InsertMode;
    QTest::newRow("vi off: the cursor stays") << false << "ab|c" << "ab|c" << ins;
    QTest::newRow("vi off: the selection goes") << false << "a^bc|d" << "abc|d" << ins;
    QTest::newRow("vi on: command mode, one left") << true << "ab|c" << "a|bc" << cmd;
    QTest::newRow("vi on at column 0") << true << "ab\n|c" << "ab\n|c" << cmd;
    QTest::newRow("vi on: selection goes, one left") << true << "a^bc|d" << "ab|cd" << cmd;
}

void TestEditKeys::escape()
{
    QFETCH(bool, viEnabled);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    Fixture f(before);
    f.settings.viEnabled = viEnabled;
    QSignalSpy messages(f.view, &EditViewBase::showMessage);
    QSignalSpy modes(&f.engine, &ViEngine::modeChanged);
    QTest::keyClick(f.view, Qt::Key_Escape);
    QDir::setCurrent(previous);
    QCOMPARE(cursorMarked(*f.view), after);
    QCOMPARE(int(f.engine.mode()), mode);
    QCOMPARE(modes.size(), mode == ViEngine::CommandMode ? 1 : 0);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().first().toString(), QDir(dir.path()).canonicalPath());
    QCOMPARE(countedNames(), QStringList{"Edit.Escape"});
    // In command mode the drawn cursor covers the character under it.
    QCOMPARE(f.view->drawnCursorWidth() > 1, mode == ViEngine::CommandMode);
}

QTEST_MAIN(TestEditKeys)
#include "tst_editkeys.moc"
