#include "editor/commandstatistics.h"
#include "app/mainwindow.h"
#include "editor/findreplacedlg.h"
#include "editor/globalsettings.h"
#include "editor/virtualbreaks.h"
#include "html/editview.h"
#include "testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

namespace {

void placeCursor(EditView *view, int position, int anchor = -1)
{
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(anchor < 0 ? position : anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
}

} // namespace

class TestMainWindowSearch : public MainWindowTest
{
    Q_OBJECT
private slots:
    void findNextAndPrevious_data()
    {
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<bool>("backward");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("selectionStart");  // afterwards
        QTest::addColumn<int>("selectionLength");
        QTest::addColumn<QString>("message");

        // Document "red green red blue": red at 0 and 10.
        QTest::newRow("next") << QStringList{"red", "blue"} << false << 1 << 10 << 3 << "";
        QTest::newRow("previous") << QStringList{"red"} << true << 10 << 0 << 3 << "";
        QTest::newRow("next, not found") << QStringList{"pink"} << false << 1 << 1 << 0 << "'pink' not found.";
        QTest::newRow("empty history does nothing") << QStringList{} << false << 1 << 1 << 0 << "";
    }
    void findNextAndPrevious()
    {
        QFETCH(QStringList, history);
        QFETCH(bool, backward);
        QFETCH(int, start);
        QFETCH(int, selectionStart);
        QFETCH(int, selectionLength);
        QFETCH(QString, message);
        MainWindow w({});
        GlobalSettings *settings = w.globalSettings();
        settings->findStrings = history;
        EditView *view = w.currentView();
        view->setPlainText(QStringLiteral("red green red blue"));
        placeCursor(view, start);
        const QString messageBefore = w.statusBar()->currentMessage();

        if (backward)
            w.on_action_FindPrev_triggered();
        else
            w.on_action_FindNext_triggered();
        QCOMPARE(view->textCursor().selectionStart(), selectionStart);
        QCOMPARE(view->textCursor().selectionEnd() - selectionStart, selectionLength);
        QCOMPARE(w.statusBar()->currentMessage(), message.isEmpty() ? messageBefore : message);
        QCOMPARE(settings->findStrings, history);
        QCOMPARE(commandCount(QStringLiteral("Action.findPrev")), backward ? 1 : 0);
        QCOMPARE(commandCount(QStringLiteral("Action.findNext")), backward ? 0 : 1);
    }
    void statusMessagesGoUnlessFailures_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("regexp");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("stays");
        QTest::newRow("not found goes") << "pink" << false << "'pink' not found." << false;
        QTest::newRow("invalid pattern stays") << "(" << true << "" << true;
    }
    void statusMessagesGoUnlessFailures()
    {
        QFETCH(QString, pattern);
        QFETCH(bool, regexp);
        QFETCH(QString, message);
        QFETCH(bool, stays);
        MainWindow w({});
        w.globalSettings()->findStrings = QStringList{pattern};
        w.globalSettings()->regexp = regexp;
        w.currentView()->setPlainText(QStringLiteral("red green"));
        w.on_action_FindNext_triggered();
        const QString shown = w.statusBar()->currentMessage();
        QVERIFY(!shown.isEmpty());
        if (!message.isEmpty())
            QCOMPARE(shown, message);
        if (stays) {
            QTest::qWait(MainWindow::MessageTimeout + 500);
            QCOMPARE(w.statusBar()->currentMessage(), shown);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(w.statusBar()->currentMessage().isEmpty(),
                                     MainWindow::MessageTimeout + 2000);
        }
    }
    void findWordAtCursor_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<QString>("word");   // empty: nothing happens
        QTest::addColumn<int>("foundAt");    // selection start afterwards, in the file's text
        QTest::addColumn<int>("piece");      // > 0: long lines shown in pieces this long

        QTest::newRow("inside a word finds the next one")
                << "alpha beta  gamma beta" << 7 << -1 << "beta" << 18 << 0;
        QTest::newRow("own search ignores case and word ends")
                << "Foo xx foobar" << 1 << -1 << "Foo" << 7 << 0;
        QTest::newRow("selection is the word") << "alpha alphabet" << 3 << 1 << "lp" << 7 << 0;
        QTest::newRow("between two blanks") << "beta  gamma" << 5 << -1 << "" << 5 << 0;
        QTest::newRow("blanks after the last word") << "beta  " << 6 << -1 << "" << 6 << 0;
        QTest::newRow("just behind a word") << "beta beta" << 4 << -1 << "beta" << 5 << 0;
        QTest::newRow("word found nowhere else") << "one two" << 5 << -1 << "two" << 5 << 0;
        // A comment cut into pieces inside "abcdefghij" (between i and j).
        QTest::newRow("word cut by a virtual break")
                << "<!-- abcdefghij klm abcdefghij -->" << 7 << -1 << "abcdefghij" << 20 << 10;
        QTest::newRow("cursor in the word's last piece")
                << "<!-- abcdefghij klm abcdefghij -->" << 16 << -1 << "abcdefghij" << 20 << 10;
    }
    void findWordAtCursor()
    {
        QFETCH(QString, document);
        QFETCH(int, position);
        QFETCH(int, anchor);
        QFETCH(QString, word);
        QFETCH(int, foundAt);
        QFETCH(int, piece);
        MainWindow w({});
        GlobalSettings *settings = w.globalSettings();
        settings->findStrings = QStringList{"older"};
        settings->ignoreCase = CaseSensitive;
        EditView *view = w.currentView();
        if (piece > 0) {
            view->virtualBreaks()->setLimits(piece, piece);
            view->loadText(document);
            QVERIFY(view->document()->blockCount() > 2);
            QCOMPARE(view->realText(), document);
        } else {
            view->setPlainText(document);
        }
        placeCursor(view, position, anchor);

        w.on_action_FindWord_triggered();
        QCOMPARE(commandCount(QStringLiteral("Action.findWordAtCursor")), 1);
        QCOMPARE(view->virtualBreaks()->toReal(view->textCursor().selectionStart()), foundAt);
        if (word.isEmpty()) {
            QCOMPARE(settings->findStrings, QStringList{"older"});
            QVERIFY(!settings->wordSearch);
            QVERIFY(!QSettings().contains(QStringLiteral("findStrings")));
            return;
        }
        QCOMPARE(settings->findStrings, (QStringList{word, "older"}));
        QCOMPARE(QSettings().value(QStringLiteral("findStrings")).toStringList(), (QStringList{word, "older"}));
        QVERIFY(settings->wordSearch);
        // The switch is stored with the next full save, not with the history.
        QCOMPARE(QSettings().value(QStringLiteral("wordSearch")).toInt(), 0);
        if (foundAt != position)
            QCOMPARE(view->textCursor().selectedText().remove(QChar::ParagraphSeparator).toLower(),
                     word.toLower());
    }
    void findWordLeavesWholeWordsOn()
    {
        MainWindow w({});
        GlobalSettings *settings = w.globalSettings();
        settings->findLoop = Loop;
        EditView *view = w.currentView();
        view->setPlainText(QStringLiteral("cat category cat."));
        placeCursor(view, 1);
        w.on_action_FindWord_triggered();
        QCOMPARE(view->textCursor().selectionStart(), 4);  // inside "category"
        // Find next now looks for the whole word only.
        w.on_action_FindNext_triggered();
        QCOMPARE(view->textCursor().selectionStart(), 13);
        w.on_action_FindNext_triggered();
        QCOMPARE(view->textCursor().selectionStart(), 0);
    }
    void findReplaceRunsOnCurrentView()
    {
        MainWindow w({});
        w.globalSettings()->findStrings = QStringList{"b"};
        w.on_action_New_triggered();
        EditView *view = w.currentView();
        view->setPlainText(QStringLiteral("a b c b"));
        w.viewAt(0)->setPlainText(QStringLiteral("b in the other tab"));

        QStringList shown;
        bool ran = false;
        QTimer::singleShot(0, &w, [&] {
            auto *dialog = qobject_cast<FindReplaceDlg *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            ran = true;
            QVERIFY(!dialog->parent());
            auto *find = dialog->findChild<QComboBox *>(QStringLiteral("findString"));
            shown << find->currentText();
            dialog->findChild<QComboBox *>(QStringLiteral("replaceTo"))->setEditText(QStringLiteral("B"));
            dialog->findChild<QPushButton *>(QStringLiteral("replaceAll"))->click();
            dialog->findChild<QPushButton *>(QStringLiteral("Close"))->click();
        });
        w.on_action_Find_Replace_triggered();
        QVERIFY(ran);
        QCOMPARE(shown, QStringList{"b"});
        QCOMPARE(view->toPlainText(), QStringLiteral("a B c B"));
        QCOMPARE(w.viewAt(0)->toPlainText(), QStringLiteral("b in the other tab"));
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("2 replaced."));
        // The count is not left behind for the next thing the user does.
        QTRY_VERIFY_WITH_TIMEOUT(w.statusBar()->currentMessage().isEmpty(),
                                 MainWindow::MessageTimeout + 2000);
        QCOMPARE(w.globalSettings()->replaceStrings, QStringList{"B"});
        QVERIFY(!QApplication::activeModalWidget());
        // The dialog is not one of the counted commands.
        QCOMPARE(commandCount(QStringLiteral("Action.findNext")), 0);
    }

};

QTEST_MAIN(TestMainWindowSearch)
#include "tst_mainwindow_search.moc"
