#include "app/inputmethodmemory.h"
#include "app/mainwindow.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "html/editview.h"
#include "panels/filesystemview.h"
#include "panels/outlinebar.h"
#include "panels/settingsdlg.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

namespace {

// Stands for the platform: an input method the user switches on and off.
struct FakeInputMethod : InputMethodMemory::Control {
    bool *open;
    int *switchedOn;
    FakeInputMethod(bool *open, int *switchedOn) : open(open), switchedOn(switchedOn) {}
    bool isOpen() const override { return *open; }
    void switchOn() override { *open = true; ++*switchedOn; }
    void switchOff() override { *open = false; }
};

} // namespace

static QColor colourAt(EditView *view, int blockNumber, int column)
{
    const QTextBlock block = view->document()->findBlockByNumber(blockNumber);
    for (const QTextLayout::FormatRange &r : block.layout()->formats())
        if (column >= r.start && column < r.start + r.length)
            return r.format.foreground().color();
    return {};
}

class TestMainWindowStartup : public MainWindowTest
{
    Q_OBJECT
private slots:
    void startWithFiles()
    {
        MainWindow empty({});
        QCOMPARE(empty.windowTitle(), QStringLiteral("mossGlen version 0.014.Dev"));
        QCOMPARE(tabTitles(empty), QStringList{"Untitled-1"});
        QCOMPARE(empty.currentView()->title(), QStringLiteral("Untitled-1"));
        QVERIFY(empty.currentView()->fullPath().isEmpty());
        const QString b = file("b-c.css", "p { color: red }\n");
        MainWindow w({file("a.html", "<p>a</p>\n"), b});
        QCOMPARE(tabTitles(w), (QStringList{"a.html", "b-c.css"}));
        QCOMPARE(w.tabs()->currentIndex(), 1);
        QCOMPARE(w.viewAt(0)->toPlainText(), QStringLiteral("<p>a</p>\n"));
        QCOMPARE(w.viewAt(1)->fullPath(), QFileInfo(b).absoluteFilePath());
        QVERIFY(!w.viewAt(0)->document()->isModified());
        w.on_action_New_triggered();
        QCOMPARE(w.tabs()->tabText(2), QStringLiteral("Untitled-2"));
    }
    // The first start has no stored state: a window of two thirds of the screen
    // with the Outline in front; later starts keep what the user made of it.
    void firstStartWindowAndDocks()
    {
        // A dock behind another stays "visible" but is moved out of sight.
        const auto inFront = [](QWidget *w) { return !w->visibleRegion().isEmpty(); };
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        {
            MainWindow w({});
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QVERIFY(qAbs(w.width() - available.width() * 2 / 3) <= 2);
            QVERIFY(qAbs(w.height() - available.height() * 2 / 3) <= 2);
            QVERIFY(available.contains(w.geometry()));
            QTRY_VERIFY(inFront(w.outline()));
            QVERIFY(!inFront(w.fileSystem()));
            // The user brings the file system forward and makes the window smaller.
            qobject_cast<QDockWidget *>(w.fileSystem()->parentWidget())->raise();
            w.resize(500, 400);
            QTRY_VERIFY(inFront(w.fileSystem()));
            QVERIFY(w.QMainWindow::close());
        }
        MainWindow again({});
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.size(), QSize(500, 400));
        QTRY_VERIFY(inFront(again.fileSystem()));
        QVERIFY(!inFront(again.outline()));
    }
    void startModeFollowsStoredSwitch_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("mode");
        QTest::newRow("vi on") << 1 << "CMD" << int(ViEngine::CommandMode);
        QTest::newRow("vi off") << 0 << "INS" << int(ViEngine::InsertMode);
    }
    void startModeFollowsStoredSwitch()
    {
        QFETCH(int, stored);
        QFETCH(QString, label);
        QFETCH(int, mode);
        QSettings().setValue("viEnabled", stored);
        MainWindow w({});
        QCOMPARE(w.modeText(), label);
        QCOMPARE(int(w.engine()->mode()), mode);
        QCOMPARE(w.findChild<QAction *>("action_viEnabled")->isChecked(), stored != 0);
    }
    void inputMethodRememberedPerMode_data() { addTableRows("app/inputmethod.txt"); }
    void inputMethodRememberedPerMode()
    {
        QFETCH(QStringList, fields);
        bool isOpen = false;
        int ons = 0;
        InputMethodMemory memory(std::make_unique<FakeInputMethod>(&isOpen, &ons));
        uchar mode = ViEngine::CommandMode;
        const auto go = [&](uchar next, bool byUser = false) {
            memory.modeChanged(mode, next, byUser);
            mode = next;
        };
        for (const QChar step : fields.at(0)) {
            switch (step.unicode()) {
            case 'i': case 'I': go(ViEngine::InsertMode); break;
            case 'e': go(ViEngine::CommandMode); break;
            case 'v': go(ViEngine::VisualMode); break;
            case 'V': go(ViEngine::VisualLineMode); break;
            case '+': isOpen = true; break;
            case '-': isOpen = false; break;
            case 'U': isOpen = true; go(ViEngine::InsertMode, true); break;
            default: QFAIL("unknown step");
            }
        }
        QCOMPARE(isOpen, fields.at(1) == "1");
        QCOMPARE(ons, fields.at(2).toInt());
    }
    void closing_data()
    {
        QTest::addColumn<QList<QMessageBox::StandardButton>>("answers");
        QTest::addColumn<int>("documents");  // Untitled-1, -2, ..., each with unsaved text
        QTest::addColumn<bool>("byExit");    // File > Exit instead of the window's close
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("asked");      // the last question names Untitled-<asked>

        using Answers = QList<QMessageBox::StandardButton>;
        QTest::newRow("cancel keeps everything") << Answers{QMessageBox::Cancel} << 1 << false << false << 1;
        QTest::newRow("discard stores the window state") << Answers{QMessageBox::Discard} << 1 << false << true << 1;
        // The third document is never asked about.
        QTest::newRow("stops at the first cancel")
            << Answers{QMessageBox::Discard, QMessageBox::Cancel} << 3 << false << false << 2;
        QTest::newRow("exit takes the close path") << Answers{QMessageBox::Cancel} << 1 << true << false << 1;
    }
    void closing()
    {
        QFETCH(QList<QMessageBox::StandardButton>, answers);
        QFETCH(int, documents);
        QFETCH(bool, byExit);
        QFETCH(bool, closes);
        QFETCH(int, asked);
        prompt->answers = answers;
        MainWindow w({});
        w.show();
        for (int i = 0; i < documents; ++i) {
            if (i > 0)
                w.on_action_New_triggered();
            w.currentView()->insertPlainText("unsaved");
        }
        if (byExit)
            w.findChild<QAction *>("action_Exit")->trigger();
        else
            QCOMPARE(w.QMainWindow::close(), closes);
        QCOMPARE(w.isVisible(), !closes);
        QCOMPARE(prompt->asked.size(), asked);
        QVERIFY(prompt->asked.last().text.contains(QStringLiteral("Untitled-%1").arg(asked)));
        // Window state and settings are stored only when the window really closes.
        QCOMPARE(QSettings().contains("geometry"), closes);
        QCOMPARE(QSettings().contains("windowState"), closes);
        QCOMPARE(QSettings().value("tabWidth", 0).toInt(), closes ? 2 : 0);
        if (!closes) {
            QCOMPARE(w.tabs()->count(), documents);
            QVERIFY(w.currentView()->document()->isModified());
        }
    }
    void scriptKeywordLines_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("description after tab") << QByteArray("for\tloop statement\n") << QStringList{"for"};
        QTest::newRow("blank line") << QByteArray("   \n\n") << QStringList{};
        QTest::newRow("windows line ends") << QByteArray("if\r\nelse\r\n") << QStringList{"else", "if"};
        QTest::newRow("duplicates and no final newline") << QByteArray("var\nvar") << QStringList{"var"};
    }
    void scriptKeywordLines()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, words);
        QStringList got = MainWindow::parseScriptKeywords(file).values();
        QCOMPARE((got.sort(), got), words);
    }

    // The settings dialog run from the main window, with its values taken over
    // by every open view and stored.
    void answers_data()
    {
        QTest::addColumn<bool>("apply");
        QTest::addColumn<bool>("ok");
        QTest::newRow("ok") << false << true;
        QTest::newRow("apply, then cancel keeps what was applied") << true << false;
        QTest::newRow("cancel changes nothing") << false << false;
    }
    void answers()
    {
        QFETCH(bool, apply);
        QFETCH(bool, ok);
        MainWindow w({});
        w.on_action_New_triggered();
        const QString family = QFont().family();
        const int before = w.currentView()->font().pointSize(), size = before + 5;
        prompt->dialogHandler = [&](QDialog *d) {
            auto *dlg = qobject_cast<SettingsDlg *>(d);
            fill(dlg, family, size, true);
            if (apply)
                emit dlg->apply(dlg);
            return int(ok ? QDialog::Accepted : QDialog::Rejected);
        };
        w.on_action_Settings_triggered();
        const bool applied = apply || ok;
        for (int i = 0; i < w.tabs()->count(); ++i) {
            QCOMPARE(w.viewAt(i)->font().pointSize(), applied ? size : before);
            if (applied) {
                QCOMPARE(w.viewAt(i)->font().family(), family);
                QCOMPARE(w.viewAt(i)->tabColumns(), 5);
            }
        }
        QCOMPARE(w.findChild<QAction *>("action_LineNumber")->isChecked(), applied);
        if (!applied) {
            QVERIFY(!QSettings().contains("fontSize"));
            return;
        }
        GlobalSettings stored;
        stored.load();
        QCOMPARE(stored.fontSize, size);
        QCOMPARE(stored.tabWidth, 5);
        QVERIFY(stored.lineNumber);
        QCOMPARE(stored.shortText.at(2), QStringLiteral("<h3>"));
        QCOMPARE(stored.shortTextSel.at(1), QStringLiteral("<i>,</i>"));
    }
    void newColoursRecolourOpenViews()
    {
        MainWindow w({});
        EditView *view = w.currentView();
        view->setPlainText("<!-- note -->\n<p>x</p>\n");
        QTRY_COMPARE(colourAt(view, 0, 5), w.globalSettings()->color(GlobalSettings::ColComment));
        const QColor picked(0x12, 0x80, 0x40);
        prompt->dialogHandler = [&](QDialog *d) {
            auto *dlg = qobject_cast<SettingsDlg *>(d);
            fill(dlg, QFont().family(), 12, false);
            // A colour pick goes into the record at once, as the dialog does.
            w.globalSettings()->colors[GlobalSettings::ColComment] = picked;
            return int(QDialog::Accepted);
        };
        w.on_action_Settings_triggered();
        QTRY_COMPARE(colourAt(view, 0, 5), picked);
        QCOMPARE(QSettings().value("col_comment").toString(), picked.name());
    }

private:
    static void fill(SettingsDlg *dlg, const QString &family, int size, bool lines)
    {
        auto *combo = dlg->findChild<QComboBox *>("fontFamily");
        combo->setEditable(true);
        combo->setCurrentText(family);
        dlg->findChild<QSpinBox *>("fontPointSize")->setValue(size);
        dlg->findChild<QSpinBox *>("tabWidth")->setValue(5);
        dlg->findChild<QCheckBox *>("lineNumber")->setChecked(lines);
        dlg->findChild<QLineEdit *>("shortText3")->setText("<h3>");
        dlg->findChild<QLineEdit *>("shortTextSel2")->setText("<i>,</i>");
    }
};

QTEST_MAIN(TestMainWindowStartup)
#include "tst_mainwindow_startup.moc"
