// The vi engine as one table of key sequences (tests/data/highlight/vi_keys.txt):
// the text, cursor and selection, mode, register, message and window request
// each sequence leaves; and the flag the main window reads during a mode change.

#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "testsupport.h"
#include "testtable.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QtTest>

class TestViEngine : public QObject
{
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
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
    ScopedSettingsStore store;  // searches and substitutions keep a history there
    GlobalSettings settings;
    settings.ignoreCase = CaseSensitive;
    settings.viEnabled = true;
    ViEngine engine;
    EditViewBase view(&settings, &engine);
    // Vertical moves keep the x position; equal advances keep it a column.
    view.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view.resize(400, 300);
    setCursorMarked(view, before);
    QSignalSpy requests(&engine, &ViEngine::windowRequest);
    QSignalSpy messages(&view, &EditViewBase::showMessage);

    // The command line that ":", "/" and "?" open takes the keys up to the
    // next "\r"; \u241b is Escape as text, the way keys replayed from text carry it.
    QString line;
    bool lineOpen = false;
    connect(&engine, &ViEngine::commandLineRequested, &view, [&](const QString &start) {
        line = start;
        lineOpen = true;
    });
    for (const QChar ch : keys) {
        if (lineOpen && ch != u'\r') {
            line += ch;
        } else if (lineOpen) {
            lineOpen = false;
            engine.executeCommandLine(line, &view);
        } else if (ch == QChar(0x241b)) {
            engine.processKeys(QString(QChar(0x1b)), &view);
        } else {
            const int key = ch == QChar(0x1b) ? int(Qt::Key_Escape) : ch == u'\r' ? int(Qt::Key_Return) : 0;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Escape ? QString() : QString(ch));
            QApplication::sendEvent(&view, &press);
        }
    }
    QCOMPARE(after.contains(u'|') ? cursorMarked(view) : view.toPlainText(), after);
    static const QStringList modes = {QString(), "insert", "visual", "visual line"};
    QVERIFY(modes.contains(mode));
    QCOMPARE(int(engine.mode()), int(modes.indexOf(mode)));
    QCOMPARE(engine.repeatCount(), 0);
    QCOMPARE(int(engine.pendingPrefix()), 0);
    if (!reg.isEmpty())
        QCOMPARE((engine.linewise() ? "lines:" : "chars:") + engine.yankBuffer(), reg);
    if (outcome.isEmpty())
        return;
    QCOMPARE(messages.isEmpty() ? QString() : messages.last().at(0).toString(), outcome.at(0));
    static const QStringList requestNames{"Write", "Quit", "ForceQuit", "WriteQuit", "WriteIfModifiedQuit", "Edit"};
    QCOMPARE(requests.size(), outcome.at(1).isEmpty() ? 0 : 1);
    if (!requests.isEmpty())
        QCOMPARE((requestNames.value(requests.at(0).at(1).toInt()) + u' ' + requests.at(0).at(2).toString()).trimmed(),
                 outcome.at(1));
}

// The main window leaves command mode when the input method reports a change,
// unless the engine is announcing one of its own: inModeChange() tells.
void TestViEngine::modeChangeGuard()
{
    for (const auto &[from, to] : {std::pair{ViEngine::CommandMode, ViEngine::InsertMode},
                                   {ViEngine::InsertMode, ViEngine::CommandMode}, {ViEngine::InsertMode, ViEngine::InsertMode}}) {
        ViEngine engine;
        engine.setMode(uchar(from));
        int seen = 0;
        connect(&engine, &ViEngine::modeChanged, &engine, [&](uchar m) {
            ++seen;
            QCOMPARE(int(m), int(to));
            QCOMPARE(int(engine.mode()), int(to));
            QVERIFY(engine.inModeChange());
        });
        engine.setMode(uchar(to));
        QCOMPARE(seen, from == to ? 0 : 1);
        QVERIFY(!engine.inModeChange());
    }
}

QTEST_MAIN(TestViEngine)
#include "tst_viengine.moc"
