#include "editor/globalsettings.h"
#include "panels/namedcolordlg.h"
#include "panels/settingsdlg.h"
#include "testsupport.h"
#include "testtable.h"

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

int colorIndex(const QString &name)
{
    int index = 0;
    while (index < GlobalSettings::ColorCount && GlobalSettings::colorKey(index) != "col_" + name)
        ++index;
    return index;
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
        for (const TestRow &r : readTestTable("panels/colorbuttons.txt"))
            QTest::newRow(qPrintable(r.name)) << colorIndex(r.name) << r.fields.at(0);
    }
    void colorButtons()
    {
        QFETCH(int, index);
        QFETCH(QString, row);
        GlobalSettings settings = sampleSettings();
        SettingsDlg dlg(&settings);
        QToolButton *button = dlg.colorButton(index);
        if (row.isEmpty()) {
            QVERIFY(!button && !dlg.colorButton(-1) && !dlg.colorButton(GlobalSettings::ColorCount));
            return;
        }
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
    // Opening the dialog and editing the form changes nothing in the record
    // or the store: values other than colours wait for the main window.
    void form_data()
    {
        for (const char *column : {"record", "edits", "value", "expected"})
            QTest::addColumn<QString>(column);
        for (const TestRow &r : readTestTable("panels/settingsform.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields[0] << r.fields[1] << r.fields[2] << r.fields[3];
    }
    void form()
    {
        QFETCH(QString, record);
        QFETCH(QString, edits);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        GlobalSettings settings = sampleSettings();
        for (const QString &change : record.split(';', Qt::SkipEmptyParts)) {
            const QString key = change.section('=', 0, 0), v = change.section('=', 1);
            if (key == "tabWidth")
                settings.tabWidth = v.toInt();
            else
                (key == "shortText" ? settings.shortText : settings.shortTextSel) = v.split(',', Qt::SkipEmptyParts);
        }
        const GlobalSettings before = settings;
        ScriptedSettingsDlg dlg(&settings);
        for (const QString &edit : edits.split(';', Qt::SkipEmptyParts)) {
            const QString name = edit.section('=', 0, 0), v = edit.section('=', 1);
            QWidget *w = dlg.findChild<QWidget *>(name);
            QVERIFY2(w, qPrintable(name));
            if (auto *line = qobject_cast<QLineEdit *>(w))
                line->setText(v);
            else if (auto *spin = qobject_cast<QSpinBox *>(w))
                spin->setValue(v.toInt());
            else if (auto *check = qobject_cast<QCheckBox *>(w))
                check->setChecked(v == "true");
            else if (auto *tabs = qobject_cast<QTabWidget *>(w))
                tabs->setCurrentIndex(v.toInt());
            else {
                dlg.directoryAnswers = QStringList{v};
                qobject_cast<QPushButton *>(w)->click();
                QCOMPARE(dlg.directoryCaptions, QStringList{QStringLiteral("Choose the Document Root")});
            }
        }
        QString got;
        if (value == "lineNumber")
            got = dlg.lineNumber() ? "true" : "false";
        else if (value == "rootPath")
            got = dlg.rootPath();
        else if (value == "fontPointSize")
            got = QString::number(dlg.fontPointSize());
        else if (value == "tabWidth")
            got = QString::number(dlg.tabWidth());
        else if (value.startsWith("page:"))
            got = dlg.findChild<QStackedWidget *>("stackedWidget")->currentWidget()->isAncestorOf(
                      dlg.findChild<QWidget *>(value.mid(5))) ? "true" : "false";
        else
            for (int i = -1; i <= 10; ++i)
                got += (i < 0 ? "" : ";") + (value == "shortText" ? dlg.shortText(i) : dlg.shortTextSel(i));
        QCOMPARE(got, expected);
        QVERIFY(settings == before);
        QVERIFY(QSettings().allKeys().isEmpty());
    }
    void fontFamilyChoice_data()
    {
        const QStringList families = QFontDatabase::families();
        // A family that is not installed shows the system's fixed-pitch font.
        const QString fixed = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
        if (families.size() < 3 || !families.contains(fixed) || fixed == families.at(0))
            QSKIP("needs three font families and a fixed-pitch system font other than the first");
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("shown");
        QTest::newRow("installed") << families.at(2) << families.at(2);
        QTest::newRow("not installed") << "No Such Family 4711" << fixed;
        QTest::newRow("differs in case") << families.at(2).toUpper() << fixed;
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
        QCOMPARE(dlg.findChild<QComboBox *>("fontFamily")->count(), QFontDatabase::families().size());
        QCOMPARE(dlg.fontFamily(), shown);
        QCOMPARE(settings.fontFamily, family);
    }
    // Colour picks go into the record at once; Cancel takes back those since
    // the last Apply, closing the window keeps them.
    void colorPicks_data()
    {
        for (const char *column : {"steps", "colors", "applied", "after"})
            QTest::addColumn<QString>(column);
        for (const TestRow &r : readTestTable("panels/colorpicks.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields[0] << r.fields[1] << r.fields[2] << r.fields[3];
    }
    void colorPicks()
    {
        QFETCH(QString, steps);
        QFETCH(QString, colors);
        QFETCH(QString, applied);
        QFETCH(QString, after);
        GlobalSettings settings = sampleSettings();
        GlobalSettings expected = settings;
        for (const QString &c : colors.split(' ', Qt::SkipEmptyParts))
            expected.colors[colorIndex(c.section('=', 0, 0))] = QColor::fromString(c.section('=', 1));
        ScriptedSettingsDlg dlg(&settings);
        QSignalSpy applies(&dlg, &SettingsDlg::apply);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto *box = dlg.findChild<QDialogButtonBox *>("buttonBox");
        for (const QString &step : steps.split(' ')) {
            const QStringList part = step.split(':');
            if (part.size() == 1) {
                if (step == "close")
                    dlg.close();
                else
                    QTest::mouseClick(box->button(step == "apply" ? QDialogButtonBox::Apply
                                                  : step == "ok" ? QDialogButtonBox::Ok
                                                                 : QDialogButtonBox::Cancel), Qt::LeftButton);
                continue;
            }
            const int index = colorIndex(part[1]);
            const QColor current = settings.colors[index];
            QColor offered;
            dlg.answerDialog = [&](QDialog &d) {
                if (auto *named = qobject_cast<NamedColorDlg *>(&d)) {
                    named->show();
                    named->filterEdit()->setText(part[2]);
                    if (named->colorList()->count() == 0)
                        QTest::ignoreMessage(QtDebugMsg, "???");
                    named->accept();
                    if (named->isVisible())
                        named->reject();  // the person gives up and closes it
                    return named->result();
                }
                auto *chooser = qobject_cast<QColorDialog *>(&d);
                offered = chooser->currentColor();
                if (part[2] == "-") {
                    chooser->reject();
                } else {
                    chooser->setCurrentColor(QColor::fromString(part[2]));
                    chooser->accept();
                }
                return chooser->result();
            };
            const int runs = dlg.dialogRuns;
            QToolButton *button = dlg.colorButton(index);
            if (part[0] == "choose")
                button->click();
            else
                button->menu()->actions().at(part[0] == "menu" ? 0 : 1)->trigger();
            QCOMPARE(dlg.dialogRuns, runs + 1);
            if (part[0] != "named")
                QCOMPARE(offered, current);
        }
        QVERIFY(settings == expected);
        // Cancel closes the dialog: its swatches are not shown again.
        for (int i = 0; i < GlobalSettings::ColorCount && !steps.endsWith("cancel"); ++i)
            if (dlg.colorButton(i))
                QCOMPARE(swatchColor(dlg.colorButton(i)), settings.colors[i]);
        QCOMPARE(applies.count(), applied.toInt());
        if (!applies.isEmpty())
            QCOMPARE(applies.at(0).at(0).value<SettingsDlg *>(), &dlg);
        QCOMPARE(dlg.isVisible(), after == "open");
        if (after != "open")
            QCOMPARE(dlg.result(), after == "accepted" ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QVERIFY(QSettings().allKeys().isEmpty());
    }

private:
    ScopedSettingsStore *store = nullptr;
};

QTEST_MAIN(TestSettingsDlg)
#include "tst_settingsdlg.moc"
