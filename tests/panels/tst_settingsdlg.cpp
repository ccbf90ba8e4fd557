#include "editor/globalsettings.h"
#include "panels/namedcolordlg.h"
#include "panels/settingsdlg.h"
#include "testsupport.h"
#include "testtable.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <functional>

namespace {

// Answers the modal runs the dialog asks for instead of a person.
class ScriptedSettingsDlg : public SettingsDlg
{
public:
    using SettingsDlg::SettingsDlg;

    std::function<int(QDialog &)> answerDialog;
    QStringList directoryAnswers;
    QStringList directoryCaptions;
    int dialogRuns = 0;

protected:
    int runDialog(QDialog &dialog) override
    {
        ++dialogRuns;
        return answerDialog ? answerDialog(dialog) : int(QDialog::Rejected);
    }
    QString existingDirectory(const QString &caption) override
    {
        directoryCaptions.append(caption);
        return directoryAnswers.isEmpty() ? QString() : directoryAnswers.takeFirst();
    }
};

GlobalSettings sampleSettings()
{
    GlobalSettings s;
    s.lineNumber = true;
    s.docRootPath = QStringLiteral("/srv/site");
    s.fontFamily = QFontDatabase::families().value(1);
    s.fontSize = 17;
    s.tabWidth = 3;
    for (int i = 0; i < 10; ++i) {
        s.shortText.append(QStringLiteral("<t%1>").arg(i));
        s.shortTextSel.append(QStringLiteral("<s%1>,</s%1>").arg(i));
    }
    // A different colour per index, so a button wired to the wrong entry shows.
    for (int i = 0; i < GlobalSettings::ColorCount; ++i)
        s.colors[i] = QColor(10 * i, 255 - 10 * i, 100 + i);
    return s;
}

QColor swatchColor(const QToolButton *button)
{
    return button->icon().pixmap(SettingsDlg::SwatchSize, SettingsDlg::SwatchSize)
        .toImage().pixelColor(SettingsDlg::SwatchSize / 2, SettingsDlg::SwatchSize / 2);
}

// "<form layout>:<row label>" of the row that holds the button.
QString rowLabelText(QToolButton *button)
{
    for (QFormLayout *layout : button->parentWidget()->findChildren<QFormLayout *>()) {
        if (layout->indexOf(button) < 0)
            continue;
        QWidget *label = layout->labelForField(button);
        if (auto *l = qobject_cast<QLabel *>(label))
            return layout->objectName() + ":" + l->text();
        if (auto *c = qobject_cast<QCheckBox *>(label))
            return layout->objectName() + ":" + c->text();
    }
    return {};
}

} // namespace

class TestSettingsDlg : public QObject
{
    Q_OBJECT
private slots:
    void init() { store = new ScopedSettingsStore; }
    void cleanup() { delete store; }

    void colorButtons_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("row");
        for (const TestRow &r : readTestTable("panels/colorbuttons.txt")) {
            int index = 0;
            while (index < GlobalSettings::ColorCount && GlobalSettings::colorKey(index) != "col_" + r.name)
                ++index;
            QTest::newRow(qPrintable(r.name)) << index << r.fields.at(0);
        }
    }
    void colorButtons()
    {
        QFETCH(int, index);
        QFETCH(QString, row);
        GlobalSettings settings = sampleSettings();
        SettingsDlg dlg(&settings);
        QToolButton *button = dlg.colorButton(index);
        QVERIFY(button);
        QCOMPARE(rowLabelText(button), row);
        QCOMPARE(swatchColor(button), settings.colors[index]);
        QVERIFY(button->defaultAction() && button->menu());
        QCOMPARE(button->defaultAction()->data().toInt(), index);
        const QList<QAction *> items = button->menu()->actions();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0]->data().toInt(), index);
        QCOMPARE(items[1]->data().toInt(), index);
    }
    void onlyCssPropHasNoButton()
    {
        GlobalSettings settings = sampleSettings();
        SettingsDlg dlg(&settings);
        QVERIFY(!dlg.colorButton(GlobalSettings::ColCssProp));
        QSet<QToolButton *> distinct;
        for (int i = 0; i < GlobalSettings::ColorCount; ++i)
            if (QToolButton *b = dlg.colorButton(i))
                distinct.insert(b);
        QCOMPARE(distinct.size(), GlobalSettings::ColorCount - 1);
        QVERIFY(!dlg.colorButton(-1));
        QVERIFY(!dlg.colorButton(GlobalSettings::ColorCount));
    }
    void valuesReadBack()
    {
        GlobalSettings settings = sampleSettings();
        const GlobalSettings before = settings;
        SettingsDlg dlg(&settings);
        QCOMPARE(dlg.lineNumber(), true);
        QCOMPARE(dlg.rootPath(), QStringLiteral("/srv/site"));
        QCOMPARE(dlg.fontFamily(), settings.fontFamily);
        QCOMPARE(dlg.fontPointSize(), 17);
        QCOMPARE(dlg.tabWidth(), 3);
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(dlg.shortText(i), settings.shortText.at(i));
            QCOMPARE(dlg.shortTextSel(i), settings.shortTextSel.at(i));
        }
        for (int outside : {-1, 10}) {
            QCOMPARE(dlg.shortText(outside), QString());
            QCOMPARE(dlg.shortTextSel(outside), QString());
        }
        // Opening the dialog changes nothing in the record or in the store.
        QVERIFY(settings == before);
        QVERIFY(QSettings().allKeys().isEmpty());

        dlg.findChild<QCheckBox *>("lineNumber")->setChecked(false);
        dlg.findChild<QLineEdit *>("rootPath")->setText("/var/www");
        dlg.findChild<QSpinBox *>("fontPointSize")->setValue(9);
        dlg.findChild<QSpinBox *>("tabWidth")->setValue(7);
        auto *family = dlg.findChild<QComboBox *>("fontFamily");
        family->setCurrentIndex(0);
        dlg.findChild<QLineEdit *>("shortText1")->setText("first");
        dlg.findChild<QLineEdit *>("shortText10")->setText("tenth");
        dlg.findChild<QLineEdit *>("shortTextSel1")->setText("<i>,</i>");
        dlg.findChild<QLineEdit *>("shortTextSel10")->setText("<u>,</u>");
        QCOMPARE(dlg.lineNumber(), false);
        QCOMPARE(dlg.rootPath(), QStringLiteral("/var/www"));
        QCOMPARE(dlg.fontPointSize(), 9);
        QCOMPARE(dlg.tabWidth(), 7);
        QCOMPARE(dlg.fontFamily(), family->itemText(0));
        QCOMPARE(dlg.shortText(0), QStringLiteral("first"));
        QCOMPARE(dlg.shortText(9), QStringLiteral("tenth"));
        QCOMPARE(dlg.shortText(1), settings.shortText.at(1));
        QCOMPARE(dlg.shortTextSel(0), QStringLiteral("<i>,</i>"));
        QCOMPARE(dlg.shortTextSel(9), QStringLiteral("<u>,</u>"));
        // Values other than colours stay in the form until the main window reads them.
        QVERIFY(settings == before);
    }
    void shortListsShorterThanTen()
    {
        GlobalSettings settings = sampleSettings();
        settings.shortText = QStringList{"a", "b"};
        settings.shortTextSel.clear();
        SettingsDlg dlg(&settings);
        QCOMPARE(dlg.shortText(1), QStringLiteral("b"));
        QCOMPARE(dlg.shortText(2), QString());
        QCOMPARE(dlg.shortText(9), QString());
        QCOMPARE(dlg.shortTextSel(0), QString());
    }
    void fontFamilyChoice_data()
    {
        const QStringList families = QFontDatabase::families();
        if (families.size() < 3)
            QSKIP("needs at least three installed font families");
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("shown");
        // A family that is not installed shows the system's fixed-pitch font.
        const QString fixed = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
        if (!families.contains(fixed) || fixed == families.at(0))
            QSKIP("needs a fixed-pitch system font other than the first family");
        QTest::newRow("installed") << families.at(2) << families.at(2);
        QTest::newRow("not installed") << "No Such Family 4711" << fixed;
        QTest::newRow("differs in case") << families.at(2).toUpper() << fixed;
        QTest::newRow("empty") << "" << fixed;
    }
    void fontFamilyChoice()
    {
        QFETCH(QString, family);
        QFETCH(QString, shown);
        if (shown != family && family.toUpper() == shown.toUpper())
            QSKIP("family name has no letters to change the case of");
        GlobalSettings settings = sampleSettings();
        settings.fontFamily = family;
        SettingsDlg dlg(&settings);
        auto *combo = dlg.findChild<QComboBox *>("fontFamily");
        QCOMPARE(combo->count(), QFontDatabase::families().size());
        QCOMPARE(dlg.fontFamily(), shown);
        QCOMPARE(settings.fontFamily, family);
    }
    void tabsDriveThePages()
    {
        GlobalSettings settings = sampleSettings();
        SettingsDlg dlg(&settings);
        auto *tabs = dlg.findChild<QTabWidget *>("tabWidget");
        auto *pages = dlg.findChild<QStackedWidget *>("stackedWidget");
        QVERIFY(tabs && pages);
        tabs->setCurrentIndex(2);
        QVERIFY(pages->currentWidget()->isAncestorOf(dlg.findChild<QLineEdit *>("rootPath")));
        tabs->setCurrentIndex(1);
        QVERIFY(pages->currentWidget()->isAncestorOf(dlg.findChild<QLineEdit *>("shortTextSel5")));
    }
    void applyAndOk()
    {
        GlobalSettings settings = sampleSettings();
        SettingsDlg dlg(&settings);
        QSignalSpy applied(&dlg, &SettingsDlg::apply);
        QSignalSpy accepted(&dlg, &QDialog::accepted);
        dlg.show();
        auto *box = dlg.findChild<QDialogButtonBox *>("buttonBox");

        QTest::mouseClick(box->button(QDialogButtonBox::Apply), Qt::LeftButton);
        QCOMPARE(applied.count(), 1);
        QCOMPARE(applied.at(0).at(0).value<SettingsDlg *>(), &dlg);
        QVERIFY(dlg.isVisible());
        QTest::mouseClick(box->button(QDialogButtonBox::Apply), Qt::LeftButton);
        QCOMPARE(applied.count(), 2);
        QVERIFY(dlg.isVisible());
        QCOMPARE(accepted.count(), 0);

        QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QCOMPARE(applied.count(), 2);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
        QVERIFY(QSettings().allKeys().isEmpty());
    }
    void selectColor_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<bool>("accept");
        QTest::newRow("text, button, accepted") << int(GlobalSettings::ColText) << false << true;
        QTest::newRow("EOF, menu, accepted") << int(GlobalSettings::ColEOF) << true << true;
        QTest::newRow("leftMargin, button, accepted") << int(GlobalSettings::ColLeftMargin) << false << true;
        QTest::newRow("tag, button, cancelled") << int(GlobalSettings::ColTag) << false << false;
        QTest::newRow("comment, menu, cancelled") << int(GlobalSettings::ColComment) << true << false;
    }
    void selectColor()
    {
        QFETCH(int, index);
        QFETCH(bool, fromMenu);
        QFETCH(bool, accept);
        GlobalSettings settings = sampleSettings();
        const GlobalSettings before = settings;
        ScriptedSettingsDlg dlg(&settings);
        const QColor picked(0x12, 0x34, 0x56);
        QColor offered;
        dlg.answerDialog = [&](QDialog &d) {
            auto *colorDialog = qobject_cast<QColorDialog *>(&d);
            if (!colorDialog)
                return int(QDialog::Rejected);
            offered = colorDialog->currentColor();
            if (!accept) {
                colorDialog->reject();
                return int(QDialog::Rejected);
            }
            colorDialog->setCurrentColor(picked);
            colorDialog->accept();
            return colorDialog->result();
        };
        QToolButton *button = dlg.colorButton(index);
        if (fromMenu)
            button->menu()->actions().at(0)->trigger();
        else
            button->click();

        QCOMPARE(dlg.dialogRuns, 1);
        QCOMPARE(offered, before.colors[index]);
        GlobalSettings expected = before;
        if (accept)
            expected.colors[index] = picked;
        QVERIFY(settings == expected);
        QCOMPARE(swatchColor(button), expected.colors[index]);
        // The other buttons keep their own colours.
        for (int i = 0; i < GlobalSettings::ColorCount; ++i)
            if (i != index && dlg.colorButton(i))
                QCOMPARE(swatchColor(dlg.colorButton(i)), before.colors[i]);
    }
    void namedColor_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("pressOk");
        QTest::addColumn<QString>("expected");  // empty: the record keeps its colour
        QTest::newRow("first of filter") << "dark" << true << "#00008b";
        QTest::newRow("first of all") << "" << true << "#f0f8ff";
        QTest::newRow("empty list keeps the dialog open") << "D" << true << "";
        QTest::newRow("closed without a pick") << "gold" << false << "";
    }
    void namedColor()
    {
        QFETCH(QString, filter);
        QFETCH(bool, pressOk);
        QFETCH(QString, expected);
        GlobalSettings settings = sampleSettings();
        const GlobalSettings before = settings;
        ScriptedSettingsDlg dlg(&settings);
        const int index = GlobalSettings::ColScriptKeyword;
        dlg.answerDialog = [&](QDialog &d) {
            auto *named = qobject_cast<NamedColorDlg *>(&d);
            if (!named)
                return int(QDialog::Rejected);
            named->show();
            named->filterEdit()->setText(filter);
            if (pressOk) {
                if (named->colorList()->count() == 0)
                    QTest::ignoreMessage(QtDebugMsg, "???");
                named->accept();
            }
            if (named->isVisible())
                named->reject();  // the person gives up and closes it
            return named->result();
        };
        dlg.colorButton(index)->menu()->actions().at(1)->trigger();
        QCOMPARE(dlg.dialogRuns, 1);

        GlobalSettings want = before;
        if (!expected.isEmpty())
            want.colors[index] = QColor::fromString(expected);
        QVERIFY(settings == want);
        QCOMPARE(swatchColor(dlg.colorButton(index)), want.colors[index]);
    }
    void colorPickSurvivesClosing()
    {
        GlobalSettings settings = sampleSettings();
        const GlobalSettings before = settings;
        {
            ScriptedSettingsDlg dlg(&settings);
            dlg.answerDialog = [](QDialog &d) {
                auto *named = qobject_cast<NamedColorDlg *>(&d);
                named->filterEdit()->setText("tomato");
                named->accept();
                return named->result();
            };
            dlg.show();
            dlg.findChild<QLineEdit *>("rootPath")->setText("/elsewhere");
            dlg.colorButton(GlobalSettings::ColTag)->menu()->actions().at(1)->trigger();
            dlg.close();  // the title bar's close button
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
        }
        GlobalSettings want = before;
        want.colors[GlobalSettings::ColTag] = QColor(0xff, 0x63, 0x47);
        QVERIFY(settings == want);
        QCOMPARE(settings.docRootPath, before.docRootPath);
        // The dialog leaves writing the store to the main window.
        QVERIFY(QSettings().allKeys().isEmpty());
    }
    void cancelTakesBackPicksSinceApply()
    {
        GlobalSettings settings = sampleSettings();
        const GlobalSettings before = settings;
        ScriptedSettingsDlg dlg(&settings);
        QString name;
        dlg.answerDialog = [&name](QDialog &d) {
            auto *named = qobject_cast<NamedColorDlg *>(&d);
            named->filterEdit()->setText(name);
            named->accept();
            return named->result();
        };
        dlg.show();
        auto *box = dlg.findChild<QDialogButtonBox *>("buttonBox");
        name = "tomato";
        dlg.colorButton(GlobalSettings::ColTag)->menu()->actions().at(1)->trigger();
        box->button(QDialogButtonBox::Apply)->click();
        name = "navy";
        dlg.colorButton(GlobalSettings::ColComment)->menu()->actions().at(1)->trigger();
        QCOMPARE(settings.colors[GlobalSettings::ColComment], QColor(0, 0, 0x80));
        box->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        GlobalSettings want = before;
        want.colors[GlobalSettings::ColTag] = QColor(0xff, 0x63, 0x47);
        QVERIFY(settings == want);
    }
    void tabWidthWithinItsRange()
    {
        GlobalSettings settings = sampleSettings();
        settings.tabWidth = 40;  // edited by hand in the store
        SettingsDlg dlg(&settings);
        QCOMPARE(dlg.tabWidth(), 16);
        auto *spin = dlg.findChild<QSpinBox *>("tabWidth");
        spin->setValue(1);
        QCOMPARE(dlg.tabWidth(), 1);
        spin->setValue(0);
        QCOMPARE(dlg.tabWidth(), 1);
    }
    void rootPathChooser_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("rootPath");
        QTest::newRow("chosen") << "/home/user/site" << "/home/user/site";
        QTest::newRow("cancelled") << "" << "/srv/site";
    }
    void rootPathChooser()
    {
        QFETCH(QString, answer);
        QFETCH(QString, rootPath);
        GlobalSettings settings = sampleSettings();
        ScriptedSettingsDlg dlg(&settings);
        dlg.directoryAnswers = QStringList{answer};
        dlg.findChild<QPushButton *>("rootPathRefPB")->click();
        QCOMPARE(dlg.directoryCaptions, QStringList{QStringLiteral("Choose the Document Root")});
        QCOMPARE(dlg.rootPath(), rootPath);
        QCOMPARE(settings.docRootPath, QStringLiteral("/srv/site"));
    }

private:
    ScopedSettingsStore *store = nullptr;
};

QTEST_MAIN(TestSettingsDlg)
#include "tst_settingsdlg.moc"
