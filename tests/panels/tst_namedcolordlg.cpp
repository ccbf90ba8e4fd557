#include "panels/namedcolordlg.h"
#include "testtable.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QtTest>

#include <algorithm>

class TestNamedColorDlg : public QObject
{
    Q_OBJECT
private slots:
    // The keywords and their swatches: every row's swatch is its colour, edge to edge.
    void keywordsAndSwatches()
    {
        const QStringList &names = NamedColorDlg::colorNames();
        QVERIFY(std::is_sorted(names.begin(), names.end()));
        NamedColorDlg dlg;
        QCOMPARE(dlg.colorList()->count(), 140);
        QSet<QRgb> values;
        for (int i = 0; i < 140; ++i) {
            const QListWidgetItem *item = dlg.colorList()->item(i);
            const QString name = item->text();
            QCOMPARE(name, names.at(i));
            // One name per grey: "...gray", with "lightgrey" the one exception.
            QVERIFY2(QColor::isValidColorName(name) && (!name.contains("grey") || name == "lightgrey"),
                     qPrintable(name));
            const QColor color = QColor::fromString(name);
            values.insert(color.rgb());
            QVERIFY(item->icon().availableSizes().contains(QSize(20, 20)));
            const QImage image = item->icon().pixmap(20, 20).toImage();
            for (const QPoint at : {QPoint(0, 0), QPoint(19, 19)})
                QVERIFY2(image.pixelColor(at).rgb() == color.rgb(), qPrintable(name));
        }
        // aqua/cyan and fuchsia/magenta are the only keywords sharing a value.
        QCOMPARE(values.size(), 138);
    }
    void filterAndPick_data()
    {
        for (const char *column : {"typed", "rows", "first", "last", "pick", "name"})
            QTest::addColumn<QString>(column);
        for (const TestRow &r : readTestTable("panels/namedcolors.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields[0] << r.fields[1] << r.fields[2]
                                              << r.fields[3] << r.fields[4] << r.fields[5];
    }
    void filterAndPick()
    {
        QFETCH(QString, typed);
        QFETCH(QString, rows);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, pick);
        QFETCH(QString, name);
        NamedColorDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::keyClicks(dlg.filterEdit(), typed);
        QListWidget *list = dlg.colorList();
        QCOMPARE(list->count(), rows.toInt());
        QCOMPARE(list->currentItem() ? list->currentItem()->text() : QString(), first);
        if (list->count() > 0) {
            QCOMPARE(list->item(0)->text(), first);
            QCOMPARE(list->item(list->count() - 1)->text(), last);
        }
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
            QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
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

QTEST_MAIN(TestNamedColorDlg)
#include "tst_namedcolordlg.moc"
