#include "editor/commandstatistics.h"
#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "testsupport.h"

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Every name counted since the fixture was made, as often as it was
// counted, sorted; `expected` the same way for the compare.
QString sortedNames(const QString &names)
{
    QStringList list = names.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    list.sort();
    return list.join(QLatin1Char(' '));
}

QString countedNames()
{
    saveCommandStatistics();
    QStringList counted;
    for (const QString &entry : QSettings().value("cmdStatistics").toStringList())
        for (int i = entry.section(u':', 1).toInt(); i > 0; --i)
            counted.append(entry.section(u':', 0, 0));
    return sortedNames(counted.join(QLatin1Char(' ')));
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
        view.resize(400, 300);
        setCursorMarked(view, marked);
        clearCommandStatistics();
    }
    void press(QKeyCombination key) { QTest::keyClick(&view, key.key(), key.keyboardModifiers()); }
    ScopedSettingsStore store;
    GlobalSettings settings;
    ViEngine engine;
    EditViewBase view{&settings, &engine};
};

} // namespace

class TestEditKeys : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { clearCommandStatistics(); }
    void typing_data()
    {
        QTest::addColumn<QStringList>("f");
        for (const TestRow &r : readTestTable("editor/typing.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields;
    }

    // One key, and one undo gives the text back.
    void typing()
    {
        QFETCH(QStringList, f);
        const QString after = f.at(4);
        Fixture k(f.at(3));
        k.settings.softTab = f.at(1) == "yes";
        k.settings.tabWidth = f.at(2).toInt();
        const QString original = k.view.toPlainText();
        k.press(keyOf(f.at(0)));
        if (after.contains(u'|')) {
            QCOMPARE(cursorMarked(k.view), after);
        } else {
            QCOMPARE(k.view.toPlainText(), after);
            QVERIFY(k.view.textCursor().hasSelection());
        }
        QCOMPARE(countedNames(), sortedNames(f.at(5)));
        k.view.undo();
        QCOMPARE(k.view.toPlainText(), original);
    }

    void commandNames_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("names");
        for (const TestRow &r : readTestTable("editor/commandnames.txt"))
            QTest::newRow(qPrintable(r.name)) << keyOf(r.fields.at(0)) << r.fields.at(1);
    }

    void commandNames()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, names);
        Fixture k(QStringLiteral("ab\nc|d\nef"));
        k.press(key);
        QCOMPARE(countedNames(), sortedNames(names));
    }

    void cursorCommands_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("count");  // empty: jump to the matching bracket
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("removed");
        for (const TestRow &r : readTestTable("editor/brackets.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields.at(0) << QString() << r.fields.at(1) << QString();
        for (const TestRow &r : readTestTable("editor/deleteinline.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields.at(0) << r.fields.at(1) << r.fields.at(2) << r.fields.at(3);
    }

    void cursorCommands()
    {
        QFETCH(QString, before);
        QFETCH(QString, count);
        QFETCH(QString, after);
        QFETCH(QString, removed);
        Fixture k(before);
        QString taken = QStringLiteral("stale");
        if (count.isEmpty())
            k.view.jumpToMatchingBracket();
        else
            k.view.deleteInLine(count.toInt(), &taken);
        QCOMPARE(cursorMarked(k.view), after);
        QCOMPARE(taken, count.isEmpty() ? QStringLiteral("stale") : removed);
    }

    void commandModeRouting_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QStringList>("f");
        for (const TestRow &r : readTestTable("editor/commandmode.txt"))
            QTest::newRow(qPrintable(r.name)) << keyOf(r.fields.at(0)) << r.fields.mid(1);
        QTest::newRow("a lone Shift does nothing") << QKeyCombination(Qt::ShiftModifier, Qt::Key_Shift)
                                                   << QStringList{"", "a|b", "a|b", ""};
    }

    void commandModeRouting()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(QStringList, f);
        Fixture k(f.at(1), ViEngine::CommandMode);
        QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers(), f.at(0));
        QApplication::sendEvent(&k.view, &press);
        QVERIFY(press.isAccepted());
        QCOMPARE(cursorMarked(k.view), f.at(2));
        QCOMPARE(countedNames(), sortedNames(f.at(3)));
        QCOMPARE(int(k.engine.mode()), int(ViEngine::CommandMode));
    }

    // Control keys never reach the engine, so they neither use nor drop the count.
    void countSurvivesControlKeys()
    {
        Fixture k(QStringLiteral("|abcdef"), ViEngine::CommandMode);
        for (const char *key : {"3", "Ctrl+C", "Ctrl+Z", "Ctrl+Right"})
            k.press(keyOf(QString::fromLatin1(key)));
        QCOMPARE(k.engine.repeatCount(), 3);
        k.press(keyOf("Home"));
        k.press(keyOf("X"));
        QCOMPARE(k.view.toPlainText(), QStringLiteral("def"));
        QCOMPARE(k.engine.yankBuffer(), QStringLiteral("abc"));
    }

    void escape_data()
    {
        QTest::addColumn<QStringList>("f");
        for (const TestRow &r : readTestTable("editor/escape.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields;
    }

    void escape()
    {
        QFETCH(QStringList, f);
        const bool command = f.at(3) == "command";
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        Fixture k(f.at(1));
        k.settings.viEnabled = f.at(0) == "yes";
        QSignalSpy messages(&k.view, &EditViewBase::showMessage);
        QSignalSpy modes(&k.engine, &ViEngine::modeChanged);
        k.press(keyOf("Esc"));
        QDir::setCurrent(previous);
        QCOMPARE(cursorMarked(k.view), f.at(2));
        QCOMPARE(int(k.engine.mode()), int(command ? ViEngine::CommandMode : ViEngine::InsertMode));
        QCOMPARE(modes.size(), command ? 1 : 0);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().first().toString(), QDir(dir.path()).canonicalPath());
        QCOMPARE(countedNames(), QStringLiteral("Edit.Escape"));
        // In command mode the drawn cursor covers the character under it.
        QCOMPARE(k.view.drawnCursorWidth() > 1, command);
    }
};

QTEST_MAIN(TestEditKeys)
#include "tst_editkeys.moc"
