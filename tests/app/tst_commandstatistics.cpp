#include "app/commandstatistics.h"
#include "testsupport.h"

#include <QSettings>
#include <QtTest>

class TestCommandStatistics : public QObject
{
    Q_OBJECT
private slots:
    void init() { store = new ScopedSettingsStore; clearCommandStatistics(); }
    void cleanup() { delete store; }

    void storedListAfterSeveralCommands();
    void manyUsesStoredOnce();
    void emptyNameIgnored();
    void saveReplacesEarlierList();

private:
    static QStringList sortedStored()
    {
        QStringList list = QSettings().value("cmdStatistics").toStringList();
        list.sort();
        return list;
    }
    ScopedSettingsStore *store = nullptr;
};

void TestCommandStatistics::storedListAfterSeveralCommands()
{
    for (int i = 0; i < 3; ++i)
        recordCommand("Action.FileSave");
    recordCommand("Action.FileOpen");
    recordCommand("Edit.Left");
    recordCommand("edit.left");  // names are case-sensitive
    saveCommandStatistics();
    QCOMPARE(sortedStored(), (QStringList{"Action.FileOpen:1", "Action.FileSave:3",
                                          "Edit.Left:1", "edit.left:1"}));
}

void TestCommandStatistics::manyUsesStoredOnce()
{
    for (int i = 0; i < 1000; ++i)
        recordCommand("Edit.Down");
    saveCommandStatistics();
    QCOMPARE(sortedStored(), QStringList{"Edit.Down:1000"});
}

void TestCommandStatistics::emptyNameIgnored()
{
    recordCommand(QString());
    recordCommand("Action.about");
    saveCommandStatistics();
    QCOMPARE(sortedStored(), QStringList{"Action.about:1"});
}

void TestCommandStatistics::saveReplacesEarlierList()
{
    QSettings().setValue("cmdStatistics", QStringList{"Action.Old:9"});
    recordCommand("Action.FileNew");
    saveCommandStatistics();
    QCOMPARE(sortedStored(), QStringList{"Action.FileNew:1"});
}

QTEST_GUILESS_MAIN(TestCommandStatistics)
#include "tst_commandstatistics.moc"
