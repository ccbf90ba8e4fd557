#include "editor/globalsettings.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestGlobalSettings : public QObject
{
    Q_OBJECT
private slots:
    void init() { store = new ScopedSettingsStore; }
    void cleanup() { delete store; store = nullptr; }

    void defaultColoursValid();
    void roundTrip();
    void badStoredValuesFallBack_data();
    void badStoredValuesFallBack();
    void shortTextsPaddedToTen();
    void storedListsTakenAsTheyAre();
    void history_data();
    void history();
    void addFindStringWritesSearchOptions();
    void saveLeavesHistoriesAlone();
    void userKeywordFile();
    void userKeywordFileLocation_data();
    void userKeywordFileLocation();

private:
    ScopedSettingsStore *store = nullptr;
};

// Each default colour name must parse: an invalid one paints black.
void TestGlobalSettings::defaultColoursValid()
{
    GlobalSettings s;
    s.load();
    for (int i = 0; i < GlobalSettings::ColorCount; ++i)
        QVERIFY2(s.colors[i].isValid(), qPrintable(GlobalSettings::colorKey(i)));
}

void TestGlobalSettings::roundTrip()
{
    GlobalSettings a;
    a.load();
    a.viEnabled = true;
    a.lineNumber = true;
    a.regexp = true;
    a.ignoreCase = CaseSensitive;
    a.findLoop = Loop;
    a.docRootPath = QStringLiteral("/srv/www");
    a.fontFamily = QStringLiteral("DejaVu Sans Mono");
    a.fontSize = 15;
    a.colors[GlobalSettings::ColTag] = QColor(0x12, 0x34, 0x56);
    a.shortText[3] = QStringLiteral("<h1>");
    a.shortTextSel[4] = QStringLiteral("<em>,</em>");
    a.save();

    // Values are stored in the documented forms, readable by other tools.
    QSettings raw;
    QCOMPARE(raw.value("viEnabled").toString(), QStringLiteral("1"));
    QCOMPARE(raw.value("ignoreCase").toString(), QStringLiteral("2"));
    QCOMPARE(raw.value("col_tag").toString(), QStringLiteral("#123456"));

    GlobalSettings b;
    b.load();
    QCOMPARE(b, a);
}

void TestGlobalSettings::badStoredValuesFallBack_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");  // field value after load, as text

    for (const TestRow &r : readTestTable("editor/storedvalues.txt"))
        QTest::newRow(qPrintable(r.name)) << r.fields.at(0) << r.fields.at(1) << r.fields.at(2);
}

static QString fieldText(const GlobalSettings &s, const QString &key)
{
    if (key == "tabWidth") return QString::number(s.tabWidth);
    if (key == "fontSize") return QString::number(s.fontSize);
    if (key == "ignoreCase") return QString::number(s.ignoreCase);
    if (key == "findLoop") return QString::number(s.findLoop);
    if (key == "viEnabled") return QString::number(int(s.viEnabled));
    if (key == "lineNumber") return QString::number(int(s.lineNumber));
    if (key == "col_text") return s.color(GlobalSettings::ColText).name();
    return QStringLiteral("?");
}

void TestGlobalSettings::badStoredValuesFallBack()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    QSettings().setValue(key, stored);
    GlobalSettings s;
    s.load();
    QCOMPARE(fieldText(s, key), expected);
}

void TestGlobalSettings::shortTextsPaddedToTen()
{
    QSettings().setValue("shortText", QStringList{"<h1>", "<h2>", "<h3>"});
    GlobalSettings s;
    s.load();
    QCOMPARE(s.shortText.size(), 10);
    QCOMPARE(s.shortText.mid(0, 3), (QStringList{"<h1>", "<h2>", "<h3>"}));
    QCOMPARE(s.shortText.at(9), QString());
}

void TestGlobalSettings::storedListsTakenAsTheyAre()
{
    const QStringList texts{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"};
    QSettings().setValue("shortTextSel", texts);
    QSettings().setValue("findStrings", QStringList{"x", "y"});
    GlobalSettings s;
    s.load();
    QCOMPARE(s.shortTextSel, texts);
    QCOMPARE(s.findStrings, (QStringList{"x", "y"}));
    QCOMPARE(s.lastFindString(), QStringLiteral("x"));
}

void TestGlobalSettings::history_data()
{
    QTest::addColumn<bool>("replace");  // the replace history instead of the find history
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("expected");

    QStringList numbered;
    for (int i = 1; i <= 21; ++i)
        numbered << QStringLiteral("text%1").arg(i);
    QStringList newestTwenty = numbered.mid(1);
    std::reverse(newestTwenty.begin(), newestTwenty.end());

    QTest::newRow("a used text moves to the front")
        << false << QStringList{"one", "two", "three", "one"} << QStringList{"one", "three", "two"};
    QTest::newRow("twenty newest kept") << false << numbered << newestTwenty;
    QTest::newRow("case-sensitive") << false << QStringList{"Div", "div"} << QStringList{"div", "Div"};
    QTest::newRow("replace texts alike") << true << QStringList{"r1", "r2", "r1"} << QStringList{"r1", "r2"};
}

void TestGlobalSettings::history()
{
    QFETCH(bool, replace);
    QFETCH(QStringList, added);
    QFETCH(QStringList, expected);
    GlobalSettings s;
    s.load();
    for (const QString &text : std::as_const(added))
        replace ? s.addReplaceString(text) : s.addFindString(text);
    QCOMPARE(replace ? s.replaceStrings : s.findStrings, expected);
    QCOMPARE(QSettings().value(replace ? "replaceStrings" : "findStrings").toStringList(), expected);
}

void TestGlobalSettings::addFindStringWritesSearchOptions()
{
    GlobalSettings s;
    s.load();
    s.regexp = true;
    s.wordSearch = true;
    s.ignoreCase = IgnoreCaseIfLower;
    s.findLoop = Loop;  // not part of what a search text writes
    s.addFindString(QStringLiteral("x"));
    QSettings raw;
    QCOMPARE(raw.value("regexp").toInt(), 1);
    QCOMPARE(raw.value("wordSearch").toInt(), 1);
    QCOMPARE(raw.value("ignoreCase").toInt(), 1);
    QVERIFY(!raw.contains("findLoop"));
}

void TestGlobalSettings::saveLeavesHistoriesAlone()
{
    QSettings().setValue("findStrings", QStringList{"stored"});
    GlobalSettings s;
    s.load();
    s.findStrings = QStringList{"changed in memory"};
    s.save();
    QCOMPARE(QSettings().value("findStrings").toStringList(), QStringList{"stored"});
}

void TestGlobalSettings::userKeywordFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("words.txt");
    QVERIFY(writeFile(path, "alpha\n  beta\n_gamma\n9x\n\ndelta   \r\n\xe3\x81\x82kana\n#comment\nalpha\n"));
    QSettings().setValue("userKeywordFileName", path);
    GlobalSettings s;
    s.load();
    QCOMPARE(s.userKeywords, (QSet<QString>{"alpha", "_gamma", "delta"}));
}

void TestGlobalSettings::userKeywordFileLocation_data()
{
    QTest::addColumn<bool>("relative");
    QTest::newRow("relative with subdirectory") << true;
    QTest::newRow("absolute") << false;
}

void TestGlobalSettings::userKeywordFileLocation()
{
    QFETCH(bool, relative);
    // A relative name is looked up below the program's own folder.
    QTemporaryDir outside;
    const QString sub = QStringLiteral("kw-test-%1/user.txt").arg(QCoreApplication::applicationPid());
    const QString beside = QCoreApplication::applicationDirPath() + QLatin1Char('/') + sub;
    const QString absolute = outside.filePath("user.txt");
    QVERIFY(writeFile(beside, "beside\n"));
    QVERIFY(writeFile(absolute, "absolute\n"));
    QSettings().setValue("userKeywordFileName", relative ? sub : absolute);
    GlobalSettings s;
    s.load();
    QFile::remove(beside);
    QDir(QCoreApplication::applicationDirPath()).rmdir(QFileInfo(beside).dir().dirName());
    QCOMPARE(s.userKeywords, QSet<QString>{relative ? "beside" : "absolute"});
}

QTEST_GUILESS_MAIN(TestGlobalSettings)
#include "tst_globalsettings.moc"
