#include "app/mainwindow.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "html/editview.h"
#include "testsupport.h"

#include <QAction>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

class TestMainWindowStartup : public QObject
{
    Q_OBJECT
private slots:
    void init() { store = new ScopedSettingsStore; }
    void cleanup() { delete store; }

    void startWithoutFiles();
    void startWithTwoFiles();
    void startModeFollowsStoredSwitch_data();
    void startModeFollowsStoredSwitch();
    void inputMethodSwitchedOnInCommandMode();
    void closeAsksAndCancelKeepsEverything();
    void closeDiscardStoresWindowState();
    void closeStopsAtFirstCancel();
    void exitTakesTheClosePath();
    void scriptKeywordLines_data();
    void scriptKeywordLines();

private:
    ScopedSettingsStore *store = nullptr;
};

void TestMainWindowStartup::startWithoutFiles()
{
    MainWindow w({});
    QCOMPARE(w.windowTitle(), QStringLiteral("mossGlen version 0.014.Dev"));
    QCOMPARE(w.tabs()->count(), 1);
    QCOMPARE(w.tabs()->tabText(0), QStringLiteral("Untitled-1"));
    QVERIFY(w.currentView());
    QCOMPARE(w.currentView()->title(), QStringLiteral("Untitled-1"));
    QVERIFY(w.currentView()->fullPath().isEmpty());
}

void TestMainWindowStartup::startWithTwoFiles()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.html"), b = dir.filePath("b-c.css");
    QVERIFY(writeFile(a, "<p>a</p>\n"));
    QVERIFY(writeFile(b, "p { color: red }\n"));
    MainWindow w({a, b});
    QCOMPARE(w.tabs()->count(), 2);
    QCOMPARE(w.tabs()->tabText(0), QStringLiteral("a.html"));
    QCOMPARE(w.tabs()->tabText(1), QStringLiteral("b-c.css"));
    QCOMPARE(w.tabs()->currentIndex(), 1);
    QCOMPARE(w.viewAt(0)->toPlainText(), QStringLiteral("<p>a</p>\n"));
    QCOMPARE(w.viewAt(1)->fullPath(), QFileInfo(b).absoluteFilePath());
    QVERIFY(!w.viewAt(0)->document()->isModified());
    w.on_action_New_triggered();
    QCOMPARE(w.tabs()->tabText(2), QStringLiteral("Untitled-2"));
}

void TestMainWindowStartup::startModeFollowsStoredSwitch_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("mode");
    QTest::newRow("vi on") << 1 << "CMD" << int(ViEngine::CommandMode);
    QTest::newRow("vi off") << 0 << "INS" << int(ViEngine::InsertMode);
}

void TestMainWindowStartup::startModeFollowsStoredSwitch()
{
    QFETCH(int, stored);
    QFETCH(QString, label);
    QFETCH(int, mode);
    QSettings().setValue("viEnabled", stored);
    MainWindow w({});
    QCOMPARE(w.modeText(), label);
    QCOMPARE(int(w.engine()->mode()), mode);
    auto *viAction = w.findChild<QAction *>("action_viEnabled");
    QVERIFY(viAction);
    QCOMPARE(viAction->isChecked(), stored != 0);
}

void TestMainWindowStartup::inputMethodSwitchedOnInCommandMode()
{
    QSettings().setValue("viEnabled", 1);
    MainWindow w({});
    QCOMPARE(w.modeText(), QStringLiteral("CMD"));
    w.onImeOpenStatusChanged();
    QCOMPARE(w.modeText(), QStringLiteral("INS"));
    QCOMPARE(int(w.engine()->mode()), int(ViEngine::InsertMode));
    w.onImeOpenStatusChanged();  // in insert mode nothing changes
    QCOMPARE(int(w.engine()->mode()), int(ViEngine::InsertMode));
}

void TestMainWindowStartup::closeAsksAndCancelKeepsEverything()
{
    ScriptedPrompt prompt;
    prompt.answers = {QMessageBox::Cancel};
    MainWindow w({});
    w.show();
    w.currentView()->insertPlainText("unsaved");
    QVERIFY(!w.QMainWindow::close());
    QVERIFY(w.isVisible());
    QCOMPARE(prompt.asked.size(), 1);
    QVERIFY(prompt.asked.first().text.contains("Untitled-1"));
    QVERIFY(!QSettings().contains("geometry"));
    QVERIFY(!QSettings().contains("tabWidth"));
}

void TestMainWindowStartup::closeDiscardStoresWindowState()
{
    ScriptedPrompt prompt;
    prompt.answers = {QMessageBox::Discard};
    MainWindow w({});
    w.show();
    w.currentView()->insertPlainText("unsaved");
    QVERIFY(w.QMainWindow::close());
    QVERIFY(!prompt.unexpected);
    QVERIFY(QSettings().contains("geometry"));
    QVERIFY(QSettings().contains("windowState"));
    QCOMPARE(QSettings().value("tabWidth").toInt(), 2);
}

void TestMainWindowStartup::closeStopsAtFirstCancel()
{
    ScriptedPrompt prompt;
    prompt.answers = {QMessageBox::Discard, QMessageBox::Cancel};
    MainWindow w({});
    w.show();
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            w.on_action_New_triggered();
        w.currentView()->insertPlainText("text");
    }
    QVERIFY(!w.QMainWindow::close());
    QCOMPARE(prompt.asked.size(), 2);  // the third document is never asked about
    QVERIFY(prompt.asked.at(1).text.contains("Untitled-2"));
    QCOMPARE(w.tabs()->count(), 3);
}

void TestMainWindowStartup::exitTakesTheClosePath()
{
    ScriptedPrompt prompt;
    prompt.answers = {QMessageBox::Cancel};
    MainWindow w({});
    w.show();
    w.currentView()->insertPlainText("unsaved");
    w.findChild<QAction *>("action_Exit")->trigger();
    QCOMPARE(prompt.asked.size(), 1);
    QVERIFY(w.isVisible());
    QVERIFY(w.currentView()->document()->isModified());
}

void TestMainWindowStartup::scriptKeywordLines_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("description after tab") << QByteArray("for\tloop statement\n") << QStringList{"for"};
    QTest::newRow("blank line") << QByteArray("   \n\n") << QStringList{};
    QTest::newRow("windows line ends") << QByteArray("if\r\nelse\r\n") << QStringList{"else", "if"};
    QTest::newRow("duplicates and no final newline") << QByteArray("var\nvar") << QStringList{"var"};
    QTest::newRow("surrounding blanks") << QByteArray("  let  \n") << QStringList{"let"};
}

void TestMainWindowStartup::scriptKeywordLines()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, words);
    QStringList got = MainWindow::parseScriptKeywords(file).values();
    got.sort();
    QCOMPARE(got, words);
}

QTEST_MAIN(TestMainWindowStartup)
#include "tst_mainwindow_startup.moc"
