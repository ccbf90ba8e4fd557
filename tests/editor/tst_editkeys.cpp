#include "editor/commandstatistics.h"
#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "testsupport.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Every name a key press is counted under, each as often as it was counted.
QString countedNames()
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
    QStringList counted;
    for (const QString &name : names)
        for (int i = commandCount(name); i > 0; --i)
            counted.append(name);
    return counted.join(QLatin1Char(' '));
}

QKeyCombination keyOf(const QString &text)
{
    const QKeySequence sequence = QKeySequence::fromString(text);
    if (sequence.isEmpty())
        qFatal("no key %s", qPrintable(text));
    return sequence[0];
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

    void typing_data();
    void typing();
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

void TestEditKeys::typing_data()
{
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<bool>("softTab");
    QTest::addColumn<int>("tabWidth");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("names");
    for (const TestRow &r : readTestTable("editor/typing.txt"))
        QTest::newRow(qPrintable(r.name)) << keyOf(r.fields.at(0)) << (r.fields.at(1) == "yes")
                                          << r.fields.at(2).toInt() << r.fields.at(3) << r.fields.at(4)
                                          << r.fields.at(5);
}

// One key, and one undo gives the text back.
void TestEditKeys::typing()
{
    QFETCH(QKeyCombination, key);
    QFETCH(bool, softTab);
    QFETCH(int, tabWidth);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, names);
    Fixture f(before);
    f.settings.softTab = softTab;
    f.settings.tabWidth = tabWidth;
    const QString original = f.view->toPlainText();
    QTest::keyClick(f.view, key.key(), key.keyboardModifiers());
    if (after.contains(u'|')) {
        QCOMPARE(cursorMarked(*f.view), after);
    } else {
        QCOMPARE(f.view->toPlainText(), after);
        QVERIFY(f.view->textCursor().hasSelection());
    }
    QCOMPARE(countedNames(), names);
    f.view->undo();
    QCOMPARE(f.view->toPlainText(), original);
}

void TestEditKeys::matchingBracket_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    for (const TestRow &r : readTestTable("editor/brackets.txt"))
        QTest::newRow(qPrintable(r.name)) << r.fields.at(0) << r.fields.at(1);
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
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<QString>("names");
    for (const TestRow &r : readTestTable("editor/commandnames.txt"))
        QTest::newRow(qPrintable(r.name)) << keyOf(r.fields.at(0)) << r.fields.at(1);
}

void TestEditKeys::commandNames()
{
    QFETCH(QKeyCombination, key);
    QFETCH(QString, names);
    Fixture f(QStringLiteral("ab\nc|d\nef"));
    QTest::keyClick(f.view, key.key(), key.keyboardModifiers());
    QCOMPARE(countedNames(), names);
}

void TestEditKeys::commandModeRouting_data()
{
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("names");
    for (const TestRow &r : readTestTable("editor/commandmode.txt"))
        QTest::newRow(qPrintable(r.name)) << keyOf(r.fields.at(0)) << r.fields.at(1) << r.fields.at(2)
                                          << r.fields.at(3) << r.fields.at(4);
    QTest::newRow("a lone Shift does nothing") << QKeyCombination(Qt::ShiftModifier, Qt::Key_Shift)
                                               << "" << "a|b" << "a|b" << "";
}

void TestEditKeys::commandModeRouting()
{
    QFETCH(QKeyCombination, key);
    QFETCH(QString, text);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, names);
    Fixture f(before, ViEngine::CommandMode);
    QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers(), text);
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
    QCOMPARE(countedNames(), QStringLiteral("Edit.Escape"));
    // In command mode the drawn cursor covers the character under it.
    QCOMPARE(f.view->drawnCursorWidth() > 1, mode == ViEngine::CommandMode);
}

QTEST_MAIN(TestEditKeys)
#include "tst_editkeys.moc"
