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
    void cursorHelpers_data();
    void cursorHelpers();
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

void TestViEngine::cursorHelpers_data()
{
    QTest::addColumn<QString>("helper");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("keepAnchor");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("answer");
    for (const TestRow &r : readTestTable(QStringLiteral("highlight/vi_cursor.txt")))
        QTest::newRow(qPrintable(r.name)) << r.fields.at(0) << r.fields.at(1) << r.fields.at(2).toInt()
                                          << (r.fields.at(3) == u"yes") << r.fields.at(4) << (r.fields.at(5) == u"yes");
}

void TestViEngine::cursorHelpers()
{
    QFETCH(QString, helper);
    QFETCH(QString, before);
    QFETCH(int, n);
    QFETCH(bool, keepAnchor);
    QFETCH(QString, after);
    QFETCH(bool, answer);
    static const QStringList ops{"LeftInLine", "RightInLine", "FirstNonBlank", "WordStart"};
    static const int values[] = {ViEngine::LeftInLine, ViEngine::RightInLine, ViEngine::FirstNonBlank, ViEngine::WordStart};
    Fixture f(before);
    QTextCursor c = f.view->textCursor();
    if (helper == u"lines") {
        QTextCursor qts = c;
        QCOMPARE(qts.movePosition(n > 0 ? QTextCursor::Down : QTextCursor::Up, QTextCursor::MoveAnchor, qAbs(n)), answer);
        f.view->setTextCursor(answer ? qts : c);
        after = cursorMarked(*f.view);
        QCOMPARE(ViEngine::moveLines(c, n), answer);
    } else if (helper == u"clamp") {
        QCOMPARE(ViEngine::clampToLine(c), answer);
    } else {
        QVERIFY(ops.contains(helper));
        QCOMPARE(ViEngine::moveCursor(c, values[ops.indexOf(helper)],
                                      keepAnchor ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor, n), answer);
    }
    f.view->setTextCursor(c);
    QCOMPARE(cursorMarked(*f.view), after);
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
