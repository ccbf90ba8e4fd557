#include "editor/commandstatistics.h"
#include "testsupport.h"

#include <QSettings>
#include <QtTest>

class TestCommandStatistics : public QObject
{
    Q_OBJECT
private slots:
    void storedCounts_data()
    {
        QTest::addColumn<QStringList>("before");  // left in the store by an earlier run
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QStringList>("stored");  // sorted
        QTest::newRow("counted per name, names case-sensitive")
            << QStringList{} << QStringList{"Action.FileSave", "Action.FileSave", "Action.FileSave",
                                            "Action.FileOpen", "Edit.Left", "edit.left"}
            << QStringList{"Action.FileOpen:1", "Action.FileSave:3", "Edit.Left:1", "edit.left:1"};
        QTest::newRow("many uses stored once") << QStringList{} << QStringList(1000, "Edit.Down") << QStringList{"Edit.Down:1000"};
        QTest::newRow("empty name ignored") << QStringList{} << QStringList{QString(), "Action.about"} << QStringList{"Action.about:1"};
        QTest::newRow("save replaces an earlier list") << QStringList{"Action.Old:9"} << QStringList{"Action.FileNew"}
                                                       << QStringList{"Action.FileNew:1"};
    }

    void storedCounts()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, commands);
        QFETCH(QStringList, stored);
        ScopedSettingsStore store;
        clearCommandStatistics();
        if (!before.isEmpty())
            QSettings().setValue("cmdStatistics", before);
        for (const QString &name : std::as_const(commands))
            recordCommand(name);
        saveCommandStatistics();
        QStringList list = QSettings().value("cmdStatistics").toStringList();
        list.sort();
        QCOMPARE(list, stored);
    }
};

QTEST_GUILESS_MAIN(TestCommandStatistics)
#include "tst_commandstatistics.moc"
