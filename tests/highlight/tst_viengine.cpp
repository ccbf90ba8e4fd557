#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "testsupport.h"
#include "testtable.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QtTest>

namespace {

struct Fixture {
    explicit Fixture(const QString &marked)
    {
        settings.ignoreCase = CaseSensitive;
        settings.viEnabled = true;
        view = new EditViewBase(&settings, &engine);
        // Vertical moves keep the x position; equal advances keep it a column.
        view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        view->resize(400, 300);
        setCursorMarked(*view, marked);
    }
    ~Fixture() { delete view; }

    // Types `keys` as key presses; the command line that `:`, `/` and `?`
    // open takes the keys up to the next "\r".
    void type(const QString &keys)
    {
        QString line;
        bool lineOpen = false;
        const QMetaObject::Connection c = QObject::connect(
                &engine, &ViEngine::commandLineRequested, view, [&](const QString &start) {
                    line = start;
                    lineOpen = true;
                });
        for (const QChar ch : keys) {
            if (ch == QChar(0x241b)) {
                // Escape as text, the way keys replayed from text carry it.
                engine.processKeys(QString(QChar(0x1b)), view);
                continue;
            }
            if (lineOpen) {
                if (ch == QLatin1Char('\r')) {
                    lineOpen = false;
                    engine.executeCommandLine(line, view);
                } else {
                    line += ch;
                }
                continue;
            }
            const int key = ch == QChar(0x1b) ? int(Qt::Key_Escape)
                            : ch == QLatin1Char('\r') ? int(Qt::Key_Return) : 0;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Escape ? QString() : QString(ch));
            QApplication::sendEvent(view, &press);
        }
        QObject::disconnect(c);
    }

    ScopedSettingsStore store;  // searches and substitutions keep a history there
    GlobalSettings settings;
    ViEngine engine;
    EditViewBase *view = nullptr;
};

} // namespace

class TestViEngine : public QObject
{
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
    void countAndPrefixState_data();
    void countAndPrefixState();
    void stateSharedByViews();
    void moveCursorOperations_data();
    void moveCursorOperations();
    void moveLinesAgreesWithQtVerticalMoves_data();
    void moveLinesAgreesWithQtVerticalMoves();
    void clampToLine_data();
    void clampToLine();
    void modeChangeGuard();
};

void TestViEngine::keys_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("reg");
    QTest::addColumn<QStringList>("outcome");  // message and window request, when given
    for (const TestRow &r : readTestTable(QStringLiteral("highlight/vi_keys.txt")))
        QTest::newRow(qPrintable(r.name)) << r.fields.at(0) << r.fields.at(1) << r.fields.at(2)
                                          << r.fields.value(3) << r.fields.value(4) << r.fields.mid(5);
}

void TestViEngine::keys()
{
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QString, after);
    QFETCH(QString, mode);
    QFETCH(QString, reg);
    QFETCH(QStringList, outcome);
    Fixture f(before);
    QSignalSpy requests(&f.engine, &ViEngine::windowRequest);
    QSignalSpy messages(f.view, &EditViewBase::showMessage);
    f.type(keys);
    if (after.contains(QLatin1Char('|')))
        QCOMPARE(cursorMarked(*f.view), after);
    else
        QCOMPARE(f.view->toPlainText(), after);
    static const QStringList modes = {QString(), QStringLiteral("insert"), QStringLiteral("visual"),
                                      QStringLiteral("visual line")};
    QVERIFY(modes.contains(mode));
    QCOMPARE(int(f.engine.mode()), int(modes.indexOf(mode)));
    QCOMPARE(f.engine.repeatCount(), 0);
    QCOMPARE(int(f.engine.pendingPrefix()), 0);
    if (!reg.isEmpty())
        QCOMPARE((f.engine.linewise() ? "lines:" : "chars:") + f.engine.yankBuffer(), reg);
    if (outcome.isEmpty())
        return;
    QCOMPARE(messages.isEmpty() ? QString() : messages.last().at(0).toString(), outcome.at(0));
    static const QStringList requestNames{"Write", "Quit", "ForceQuit", "WriteQuit", "WriteIfModifiedQuit", "Edit"};
    QCOMPARE(requests.size(), outcome.at(1).isEmpty() ? 0 : 1);
    if (!requests.isEmpty())
        QCOMPARE((requestNames.value(requests.at(0).at(1).toInt()) + u' ' + requests.at(0).at(2).toString()).trimmed(),
                 outcome.at(1));
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
    QTest::newRow("a long run of digits is clamped") << "99999999999999999999" << ViEngine::MaxRepeatCount << 0;
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
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("anchor");

    using V = ViEngine;
    QTest::newRow("left in line by 2") << "ab\ncd|e" << int(V::LeftInLine) << 2 << false << 3 << 3;
    QTest::newRow("left in line stops at column 0") << "ab\ncd|e" << int(V::LeftInLine) << 5 << false << 3 << 3;
    QTest::newRow("right in line may reach the line end") << "a|bc\nd" << int(V::RightInLine) << 5 << false << 3 << 3;
    QTest::newRow("right in line with the anchor kept") << "a|bc" << int(V::RightInLine) << 1 << true << 2 << 1;
    QTest::newRow("first non-blank") << "x\n \t y|z" << int(V::FirstNonBlank) << 1 << false << 5 << 5;
    QTest::newRow("first non-blank of a blank line is its end") << "x\n|   " << int(V::FirstNonBlank) << 1 << false << 5 << 5;
    QTest::newRow("word start selects the word before the cursor")
            << "a.foo_Bar9|x" << int(V::WordStart) << 1 << true << 2 << 10;
    QTest::newRow("word start stops at characters beyond Latin-1")
            << QStringLiteral("x\u3042ab|") << int(V::WordStart) << 1 << true << 2 << 4;
    QTest::newRow("word start accepts Latin-1 letters") << QStringLiteral("- \u00e9t\u00e9|") << int(V::WordStart) << 1 << false << 2 << 2;
    QTest::newRow("word start stays within its line") << "ab\n|cd" << int(V::WordStart) << 1 << false << 3 << 3;
}

void TestViEngine::moveCursorOperations()
{
    QFETCH(QString, before);
    QFETCH(int, op);
    QFETCH(int, n);
    QFETCH(bool, keepAnchor);
    QFETCH(int, position);
    QFETCH(int, anchor);
    Fixture f(before);
    QTextCursor c = f.view->textCursor();
    QVERIFY(ViEngine::moveCursor(c, op, keepAnchor ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor, n));
    QCOMPARE(c.position(), position);
    QCOMPARE(c.anchor(), anchor);
}

void TestViEngine::moveLinesAgreesWithQtVerticalMoves_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("n");

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
    QCOMPARE(ours.position(), qtResult ? qts.position() : f.view->textCursor().position());
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

// A receiver that reacts the way the input-method notification does: it
// leaves command mode unless the engine is announcing a change.
void TestViEngine::modeChangeGuard()
{
    for (const auto &[from, to] : {std::pair{ViEngine::CommandMode, ViEngine::InsertMode},
                                   std::pair{ViEngine::InsertMode, ViEngine::CommandMode},
                                   std::pair{ViEngine::InsertMode, ViEngine::InsertMode}}) {
        ViEngine engine;
        engine.setMode(uchar(from));
        int seen = 0;
        connect(&engine, &ViEngine::modeChanged, &engine, [&](uchar m) {
            ++seen;
            QCOMPARE(int(m), int(to));
            QCOMPARE(int(engine.mode()), int(to));
            QVERIFY(engine.inModeChange());
            if (engine.mode() == ViEngine::CommandMode && !engine.inModeChange())
                engine.setMode(ViEngine::InsertMode);
        });
        engine.setMode(uchar(to));
        QCOMPARE(seen, from == to ? 0 : 1);
        QCOMPARE(int(engine.mode()), int(to));
        QVERIFY(!engine.inModeChange());
    }
}

QTEST_MAIN(TestViEngine)
#include "tst_viengine.moc"
