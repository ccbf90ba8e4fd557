#include "app/mainwindow.h"
#include "editor/globalsettings.h"
#include "html/editview.h"
#include "panels/settingsdlg.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

static QColor colourAt(EditView *view, int blockNumber, int column)
{
    const QTextBlock block = view->document()->findBlockByNumber(blockNumber);
    for (const QTextLayout::FormatRange &r : block.layout()->formats())
        if (column >= r.start && column < r.start + r.length)
            return r.format.foreground().color();
    return {};
}

// The settings dialog run from the main window, with its values taken over
// by every open view and stored.
class TestMainWindowSettings : public MainWindowTest
{
    Q_OBJECT
private slots:
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

QTEST_MAIN(TestMainWindowSettings)
#include "tst_mainwindow_settings.moc"
