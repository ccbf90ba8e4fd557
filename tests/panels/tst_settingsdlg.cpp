#include "panels/namedcolordlg.h"
#include "panels/settingsdlg.h"
#include "testsupport.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>

#include <algorithm>

namespace {

// Answers the modal runs the dialog asks for instead of a person.
class ScriptedSettingsDlg : public SettingsDlg
{
public:
    using SettingsDlg::SettingsDlg;
    std::function<int(QDialog &)> answerDialog;
    QStringList directoryAnswers, directoryCaptions;
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

QColor swatchColor(const QIcon &icon, int size = SettingsDlg::SwatchSize, QPoint at = {-1, -1})
{
    return icon.pixmap(size, size).toImage().pixelColor(at.x() < 0 ? QPoint(size / 2, size / 2) : at);
}

int colorIndex(const QString &name)
{
    int index = 0;
    while (index < GlobalSettings::ColorCount && GlobalSettings::colorKey(index) != "col_" + name)
        ++index;
    return index;
}

// A value of the form as the main window reads it back; short texts at
// the indices -1 to 10, joined by ";".
QString formValue(const SettingsDlg &dlg, const QString &value)
{
    if (value == "lineNumber")
        return dlg.lineNumber() ? "true" : "false";
    if (value == "rootPath")
        return dlg.rootPath();
    if (value == "fontPointSize")
        return QString::number(dlg.fontPointSize());
    if (value == "tabWidth")
        return QString::number(dlg.tabWidth());
    if (value.startsWith("page:"))
        return dlg.findChild<QStackedWidget *>("stackedWidget")->currentWidget()->isAncestorOf(
                   dlg.findChild<QWidget *>(value.mid(5))) ? "true" : "false";
    QString got;
    for (int i = -1; i <= 10; ++i)
        got += (i < 0 ? "" : ";") + (value == "shortText" ? dlg.shortText(i) : dlg.shortTextSel(i));
    return got;
}

} // namespace

// The settings dialog's form and colour buttons, and the named colours it offers.
class TestSettingsDlg : public FixtureTest
{
    Q_OBJECT
private slots:

    void colorButtons_data() { addTableRows("panels/colorbuttons.txt", "row"); }
    void colorButtons()
    {
        QFETCH(QStringList, row);
        const int index = colorIndex(QTest::currentDataTag());
        GlobalSettings settings = sampleSettings();
        SettingsDlg dlg(&settings);
        QToolButton *button = dlg.colorButton(index);
        if (row[0].isEmpty()) {
            QVERIFY(!button && !dlg.colorButton(-1) && !dlg.colorButton(GlobalSettings::ColorCount));
            return;
        }
        // "<form layout>:<row label>" of the row that holds the button.
        QString label;
        for (QFormLayout *layout : button->parentWidget()->findChildren<QFormLayout *>())
            if (QWidget *w = layout->indexOf(button) < 0 ? nullptr : layout->labelForField(button))
                label = layout->objectName() + ":" + w->property("text").toString();
        QCOMPARE(label, row[0]);
        QVERIFY(button->defaultAction() && button->menu());
        const QList<QAction *> items = button->menu()->actions();
        QCOMPARE(items.size(), 2);
        for (const QAction *action : {button->defaultAction(), items[0], items[1]})
            QCOMPARE(action->data().toInt(), index);
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
        QTest::newRow("installed, first in the list") << families.at(0) << families.at(0);
        QTest::newRow("not installed") << "No Such Family 4711" << fixed;
        if (families.at(2).toUpper() != families.at(2))
            QTest::newRow("differs in case") << families.at(2).toUpper() << fixed;
    }
    void fontFamilyChoice()
    {
        QFETCH(QString, family);
        QFETCH(QString, shown);
        GlobalSettings settings = sampleSettings();
        settings.fontFamily = family;
        SettingsDlg dlg(&settings);
        QCOMPARE(dlg.findChild<QComboBox *>("fontFamily")->count(), QFontDatabase::families().size());
        QCOMPARE(dlg.fontFamily(), shown);
        QCOMPARE(settings.fontFamily, family);
    }
    // One session with the dialog. Colour picks go into the record at once;
    // Cancel takes back those since the last Apply, closing the window keeps
    // them. Every other value waits in the form for the main window, and
    // nothing goes into the store.
    void session_data() { addTableRows("panels/settingsdialog.txt"); }
    void session()
    {
        QFETCH(QStringList, fields);
        const QString steps = fields[1], after = fields[6];
        GlobalSettings settings = sampleSettings();
        for (const QString &change : fields[0].split(';', Qt::SkipEmptyParts)) {
            const QString key = change.section('=', 0, 0), v = change.section('=', 1);
            if (key == "tabWidth")
                settings.tabWidth = v.toInt();
            else
                (key == "shortText" ? settings.shortText : settings.shortTextSel) = v.split(',', Qt::SkipEmptyParts);
        }
        GlobalSettings expected = settings;
        for (const QString &c : fields[4].split(' ', Qt::SkipEmptyParts))
            expected.colors[colorIndex(c.section('=', 0, 0))] = QColor::fromString(c.section('=', 1));
        ScriptedSettingsDlg dlg(&settings);
        QSignalSpy applies(&dlg, &SettingsDlg::apply);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto *box = dlg.findChild<QDialogButtonBox *>("buttonBox");
        for (const QString &step : steps.split(' ', Qt::SkipEmptyParts)) {
            const QStringList part = step.split(':');
            if (step.contains('=')) {
                // A widget of the form, by object name; a button is clicked
                // and its directory chooser answered.
                const QString name = step.section('=', 0, 0), v = step.section('=', 1);
                QWidget *w = dlg.findChild<QWidget *>(name);
                QVERIFY2(w, qPrintable(name));
                if (auto *button = qobject_cast<QPushButton *>(w)) {
                    dlg.directoryAnswers = QStringList{v};
                    button->click();
                    QCOMPARE(dlg.directoryCaptions, QStringList{QStringLiteral("Choose the Document Root")});
                } else {
                    QVERIFY(w->setProperty(w->inherits("QTabWidget") ? "currentIndex" : w->inherits("QCheckBox") ? "checked"
                                           : w->inherits("QSpinBox") ? "value" : "text", QVariant(v)));
                }
                continue;
            } else if (step == "close") {
                dlg.close();
                continue;
            } else if (part.size() == 1) {
                QTest::mouseClick(box->button(step == "apply" ? QDialogButtonBox::Apply : step == "ok"
                                              ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel), Qt::LeftButton);
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
                // "-" turns the wheel and then cancels: the turn must not count.
                chooser->setCurrentColor(QColor::fromString(part[2] == "-" ? "#fedcba" : part[2]));
                d.done(part[2] == "-" ? QDialog::Rejected : QDialog::Accepted);
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
        if (!fields[2].isEmpty())
            QCOMPARE(formValue(dlg, fields[2]), fields[3]);
        QVERIFY(settings == expected);
        // Cancel closes the dialog: its swatches are not shown again.
        for (int i = 0; i < GlobalSettings::ColorCount && !steps.endsWith("cancel"); ++i)
            if (dlg.colorButton(i))
                QCOMPARE(swatchColor(dlg.colorButton(i)->icon()), settings.colors[i]);
        QCOMPARE(applies.count(), fields[5].toInt());
        if (!applies.isEmpty())
            QCOMPARE(applies.at(0).at(0).value<SettingsDlg *>(), &dlg);
        QCOMPARE(dlg.isVisible(), after == "open");
        if (after != "open")
            QCOMPARE(dlg.result(), after == "accepted" ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QVERIFY(QSettings().allKeys().isEmpty());
    }
    // The keywords, sorted, one name per grey ("...gray", "lightgrey" the one
    // exception), each row's swatch its colour edge to edge.
    void namedColorList()
    {
        const QStringList &names = NamedColorDlg::colorNames();
        QVERIFY(std::is_sorted(names.begin(), names.end()));
        NamedColorDlg dlg;
        QSet<QRgb> values;
        for (int i = 0; i < dlg.colorList()->count(); ++i) {
            const QListWidgetItem *item = dlg.colorList()->item(i);
            const QColor color = QColor::fromString(item->text());
            QVERIFY2(color.isValid() && (!item->text().contains("grey") || item->text() == "lightgrey"), qPrintable(item->text()));
            values.insert(color.rgb());
            for (const QPoint at : {QPoint(0, 0), QPoint(19, 19)})
                QCOMPARE(swatchColor(item->icon(), 20, at).rgb(), color.rgb());
        }
        // aqua/cyan and fuchsia/magenta are the only keywords sharing a value.
        QCOMPARE(values.size() + 2, names.size());
        QCOMPARE(names.size(), 140);
    }
    void namedColorFilterAndPick_data() { addTableRows("panels/namedcolors.txt"); }
    void namedColorFilterAndPick()
    {
        QFETCH(QStringList, fields);
        const QString pick = fields[4], name = fields[5];
        NamedColorDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::keyClicks(dlg.filterEdit(), fields[0]);
        QListWidget *list = dlg.colorList();
        QCOMPARE(list->count(), fields[1].toInt());
        QCOMPARE(list->currentItem() ? list->currentItem()->text() : QString(), fields[2]);
        QCOMPARE(list->count() ? list->item(0)->text() + " " + list->item(list->count() - 1)->text() : QString(),
                 list->count() ? fields[2] + " " + fields[3] : QString());
        for (int i = 0; i < list->count(); ++i)
            QVERIFY(list->item(i)->text().startsWith(dlg.filterEdit()->text()));
        const int row = pick.section(':', 1).toInt();
        if (pick == "ok") {
            auto *ok = dlg.findChild<QPushButton *>();
            QVERIFY(ok && ok->isDefault());
            ok->click();
        } else if (pick.startsWith("click:")) {
            // A real double click starts with a press on the same item.
            const QPoint at = list->visualItemRect(list->item(row)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        } else {
            if (pick.startsWith("row:"))
                list->setCurrentRow(row);
            if (name.isEmpty())
                QTest::ignoreMessage(QtDebugMsg, "???");
            dlg.accept();
        }
        QCOMPARE(dlg.colorName(), name);
        QCOMPARE(dlg.result() == QDialog::Accepted, !name.isEmpty());
        QCOMPARE(dlg.isVisible(), name.isEmpty());
    }
};

QTEST_MAIN(TestSettingsDlg)
#include "tst_settingsdlg.moc"
