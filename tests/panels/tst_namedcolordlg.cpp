#include "panels/namedcolordlg.h"

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
    void keywordTable()
    {
        const QStringList &names = NamedColorDlg::colorNames();
        QCOMPARE(names.size(), 140);
        QVERIFY(std::is_sorted(names.begin(), names.end()));
        QSet<QRgb> values;
        for (const QString &name : names) {
            QVERIFY2(QColor::isValidColorName(name), qPrintable(name));
            // One name per grey: "...gray", with "lightgrey" the one exception.
            QVERIFY2(!name.contains("grey") || name == "lightgrey", qPrintable(name));
            values.insert(QColor::fromString(name).rgb());
        }
        // aqua/cyan and fuchsia/magenta are the only keywords sharing a value.
        QCOMPARE(values.size(), 138);
    }
    // Every row's swatch is its colour, edge to edge.
    void swatches()
    {
        NamedColorDlg dlg;
        QCOMPARE(dlg.colorList()->count(), NamedColorDlg::colorNames().size());
        for (int i = 0; i < dlg.colorList()->count(); ++i) {
            const QListWidgetItem *item = dlg.colorList()->item(i);
            QVERIFY(item->icon().availableSizes().contains(QSize(20, 20)));
            const QImage image = item->icon().pixmap(20, 20).toImage();
            const QString rgb = QColor::fromString(item->text()).name();
            for (const QPoint at : {QPoint(0, 0), QPoint(10, 10), QPoint(19, 19)})
                QVERIFY2(image.pixelColor(at).name() == rgb, qPrintable(item->text()));
        }
    }
    void filter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("empty") << "" << 140 << "aliceblue" << "yellowgreen";
        QTest::newRow("dark") << "dark" << 17 << "darkblue" << "darkviolet";
        QTest::newRow("capital D") << "D" << 0 << "" << "";
        QTest::newRow("light") << "light" << 13 << "lightblue" << "lightyellow";
        QTest::newRow("whole name") << "yellowgreen" << 1 << "yellowgreen" << "yellowgreen";
        QTest::newRow("prefix of one, inside others") << "green" << 2 << "green" << "greenyellow";
    }
    void filter()
    {
        QFETCH(QString, filter);
        QFETCH(int, rows);
        QFETCH(QString, first);
        QFETCH(QString, last);
        NamedColorDlg dlg;
        dlg.filterEdit()->setText(filter);
        QListWidget *list = dlg.colorList();
        QCOMPARE(list->count(), rows);
        if (rows == 0) {
            QVERIFY(!list->currentItem());
            return;
        }
        QCOMPARE(list->item(0)->text(), first);
        QCOMPARE(list->item(rows - 1)->text(), last);
        QVERIFY(list->currentItem());
        QCOMPARE(list->currentItem()->text(), first);
        for (int i = 0; i < rows; ++i)
            QVERIFY(list->item(i)->text().startsWith(filter));
    }
    void filterFollowsTyping()
    {
        NamedColorDlg dlg;
        QTest::keyClicks(dlg.filterEdit(), "dark");
        QCOMPARE(dlg.colorList()->count(), 17);
        QTest::keyClicks(dlg.filterEdit(), "s");
        QCOMPARE(dlg.colorList()->count(), 4);  // darksalmon, darkseagreen, darkslateblue, darkslategray
        dlg.filterEdit()->selectAll();
        QTest::keyClick(dlg.filterEdit(), Qt::Key_Backspace);
        QCOMPARE(dlg.colorList()->count(), 140);
        QCOMPARE(dlg.colorList()->currentItem()->text(), QStringLiteral("aliceblue"));
    }
    void accept_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("currentRow");  // -1 keeps the one the filter chose
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("name");
        QTest::newRow("first of all") << "" << -1 << true << "aliceblue";
        QTest::newRow("first of filter") << "dark" << -1 << true << "darkblue";
        QTest::newRow("moved in filter") << "dark" << 3 << true << "darkgray";
        QTest::newRow("empty list") << "D" << -1 << false << "";
    }
    void accept()
    {
        QFETCH(QString, filter);
        QFETCH(int, currentRow);
        QFETCH(bool, accepted);
        QFETCH(QString, name);
        NamedColorDlg dlg;
        dlg.show();
        dlg.filterEdit()->setText(filter);
        if (currentRow >= 0)
            dlg.colorList()->setCurrentRow(currentRow);
        if (!accepted)
            QTest::ignoreMessage(QtDebugMsg, "???");
        dlg.accept();
        QCOMPARE(dlg.colorName(), name);
        QCOMPARE(dlg.result() == QDialog::Accepted, accepted);
        QCOMPARE(dlg.isVisible(), !accepted);
    }
    void okButtonAccepts()
    {
        NamedColorDlg dlg;
        dlg.show();
        dlg.filterEdit()->setText("tom");
        QPushButton *ok = dlg.findChild<QPushButton *>();
        QVERIFY(ok && ok->isDefault());
        ok->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.colorName(), QStringLiteral("tomato"));
    }
    void doubleClickPicks()
    {
        NamedColorDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QListWidget *list = dlg.colorList();
        QListWidgetItem *item = list->item(2);
        QCOMPARE(item->text(), QStringLiteral("aqua"));
        const QPoint at = list->visualItemRect(item).center();
        // A real double click starts with a press on the same item.
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.colorName(), QStringLiteral("aqua"));
        QVERIFY(!dlg.isVisible());
    }
};

QTEST_MAIN(TestNamedColorDlg)
#include "tst_namedcolordlg.moc"
