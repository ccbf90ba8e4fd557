// The vi engine as one table of key sequences (tests/data/highlight/vi_keys.txt):
// the text, cursor and selection, mode, register, message and window request
// each sequence leaves; and the flag the main window reads during a mode change.

#include "editor/editviewbase.h"
#include "testsupport.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>

class TestViEngine : public FixtureTest
{
    Q_OBJECT
private slots:
    // before | keys | after | mode | register | message | window request
    void keys_data() { addTableRows(QStringLiteral("highlight/vi_keys.txt")); }
    void keys()
    {
        QFETCH(QStringList, fields);
        const QString after = fields.at(2), mode = fields.value(3), reg = fields.value(4);
        const QStringList outcome = fields.mid(5);  // message and window request, when given
        settings->ignoreCase = CaseSensitive;
        settings->viEnabled = true;
        EditViewBase view(settings.get(), engine.get());
        // Vertical moves keep the x position; equal advances keep it a column.
        view.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        view.resize(400, 300);
        setCursorMarked(view, fields.at(0));
        QSignalSpy requests(engine.get(), &ViEngine::windowRequest);
        QSignalSpy messages(&view, &EditViewBase::showMessage);
        // The main window leaves command mode when the input method reports a
        // change, unless the engine is announcing one of its own: inModeChange()
        // tells. A change is announced once, and only when the mode does change.
        int shownMode = engine->mode();
        connect(engine.get(), &ViEngine::modeChanged, &view, [&](uchar m) {
            QVERIFY(engine->inModeChange());
            QCOMPARE(int(engine->mode()), int(m));
            QVERIFY(int(m) != shownMode);
            shownMode = m;
        });

        // The command line that ":", "/" and "?" open takes the keys up to the
        // next "\r"; \u241b is Escape as text, the way keys replayed from text carry it.
        QString line;
        bool lineOpen = false;
        connect(engine.get(), &ViEngine::commandLineRequested, &view, [&](const QString &start) {
            line = start;
            lineOpen = true;
        });
        for (const QChar ch : fields.at(1)) {
            if (lineOpen && ch != u'\r') {
                line += ch;
            } else if (lineOpen) {
                lineOpen = false;
                engine->executeCommandLine(line, &view);
            } else if (ch == QChar(0x241b)) {
                engine->processKeys(QString(QChar(0x1b)), &view);
            } else {
                const int key = ch == QChar(0x1b) ? int(Qt::Key_Escape) : ch == u'\r' ? int(Qt::Key_Return) : 0;
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Escape ? QString() : QString(ch));
                QApplication::sendEvent(&view, &press);
            }
        }
        QCOMPARE(after.contains(u'|') ? cursorMarked(view) : view.toPlainText(), after);
        static const QStringList modes = {QString(), "insert", "visual", "visual line"};
        QVERIFY(modes.contains(mode));
        QCOMPARE(int(engine->mode()), int(modes.indexOf(mode)));
        QCOMPARE(engine->repeatCount(), 0);
        QCOMPARE(int(engine->pendingPrefix()), 0);
        engine->setMode(engine->mode());
        QVERIFY(!engine->inModeChange());
        if (!reg.isEmpty())
            QCOMPARE((engine->linewise() ? "lines:" : "chars:") + engine->yankBuffer(), reg);
        if (outcome.isEmpty())
            return;
        QCOMPARE(messages.isEmpty() ? QString() : messages.last().at(0).toString(), outcome.at(0));
        static const QStringList requestNames{"Write", "Quit", "ForceQuit", "WriteQuit", "WriteIfModifiedQuit", "Edit"};
        QCOMPARE(requests.size(), outcome.at(1).isEmpty() ? 0 : 1);
        if (!requests.isEmpty())
            QCOMPARE((requestNames.value(requests.at(0).at(1).toInt()) + u' ' + requests.at(0).at(2).toString()).trimmed(),
                     outcome.at(1));
    }
};

QTEST_MAIN(TestViEngine)
#include "tst_viengine.moc"
