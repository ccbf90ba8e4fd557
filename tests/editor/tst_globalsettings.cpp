#include "editor/globalsettings.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QSettings>
#include <QtTest>

namespace {

GlobalSettings loaded()
{
    GlobalSettings s;
    s.load();
    return s;
}

} // namespace

class TestGlobalSettings : public QObject
{
    Q_OBJECT
    std::unique_ptr<ScopedSettingsStore> store;

private slots:
    void init() { store = std::make_unique<ScopedSettingsStore>(); }
    void cleanup() { store.reset(); }

    // Stored lists are taken as they are, short ones padded to ten; save
    // writes the documented forms other tools read and leaves the histories
    // alone; every default colour parses (an invalid one paints black).
    void loadAndSave()
    {
        const QStringList ten{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"};
        QSettings().setValue("shortText", QStringList{"<h1>", "<h2>", "<h3>"});
        QSettings().setValue("shortTextSel", ten);
        QSettings().setValue("findStrings", QStringList{"x", "y"});
        GlobalSettings a = loaded();
        for (int i = 0; i < GlobalSettings::ColorCount; ++i)
            QVERIFY2(a.colors[i].isValid(), qPrintable(GlobalSettings::colorKey(i)));
        QCOMPARE(a.shortText, (QStringList{"<h1>", "<h2>", "<h3>", {}, {}, {}, {}, {}, {}, {}}));
        QCOMPARE(a.shortTextSel, ten);
        QCOMPARE(a.lastFindString(), QStringLiteral("x"));

        a.viEnabled = a.lineNumber = a.regexp = true;
        a.ignoreCase = CaseSensitive;
        a.findLoop = Loop;
        a.docRootPath = QStringLiteral("/srv/www");
        a.fontFamily = QStringLiteral("DejaVu Sans Mono");
        a.fontSize = 15;
        a.colors[GlobalSettings::ColTag] = QColor(0x12, 0x34, 0x56);
        a.shortText[3] = QStringLiteral("<h1>");
        a.shortTextSel[4] = QStringLiteral("<em>,</em>");
        a.findStrings = QStringList{"changed in memory"};
        a.save();
        QSettings raw;
        QCOMPARE(raw.value("viEnabled").toString(), QStringLiteral("1"));
        QCOMPARE(raw.value("ignoreCase").toString(), QStringLiteral("2"));
        QCOMPARE(raw.value("col_tag").toString(), QStringLiteral("#123456"));
        QCOMPARE(raw.value("findStrings").toStringList(), (QStringList{"x", "y"}));
        a.findStrings = QStringList{"x", "y"};
        QCOMPARE(loaded(), a);
    }

    void badStoredValuesFallBack_data() { addTableRows("editor/storedvalues.txt", "f"); }
    void badStoredValuesFallBack()
    {
        QFETCH(QStringList, f);
        QSettings().setValue(f.at(0), f.at(1));
        const GlobalSettings s = loaded();
        const QHash<QString, QString> fields{
            {"tabWidth", QString::number(s.tabWidth)}, {"fontSize", QString::number(s.fontSize)},
            {"ignoreCase", QString::number(s.ignoreCase)}, {"findLoop", QString::number(s.findLoop)},
            {"viEnabled", QString::number(s.viEnabled)}, {"lineNumber", QString::number(s.lineNumber)},
            {"col_text", s.color(GlobalSettings::ColText).name()}};
        QCOMPARE(fields.value(f.at(0), "?"), f.at(2));
    }

    void history_data() { addTableRows("editor/history.txt", "f"); }
    // A search text also writes the search options, but not the loop mode.
    void history()
    {
        QFETCH(QStringList, f);
        const bool replace = f.at(0) == QLatin1String("replace");
        const QStringList expected = f.at(2).split(QLatin1Char(' '));
        GlobalSettings s = loaded();
        s.regexp = s.wordSearch = true;
        s.ignoreCase = IgnoreCaseIfLower;
        s.findLoop = Loop;
        for (const QString &text : f.at(1).split(QLatin1Char(' ')))
            replace ? s.addReplaceString(text) : s.addFindString(text);
        QCOMPARE(replace ? s.replaceStrings : s.findStrings, expected);
        const QSettings raw;
        QCOMPARE(raw.value(replace ? "replaceStrings" : "findStrings").toStringList(), expected);
        QCOMPARE(raw.value("regexp").toString() + raw.value("wordSearch").toString() + raw.value("ignoreCase").toString(),
                 replace ? QString() : QStringLiteral("111"));
        QVERIFY(!raw.contains("findLoop"));
    }

    void userKeywordFile_data()
    {
        QTest::addColumn<bool>("relative");  // looked up below the program's own folder
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("absolute, only lines that start a word")
            << false << QByteArray("alpha\n  beta\n_gamma\n9x\n\ndelta   \r\n\xe3\x81\x82kana\n#comment\nalpha\n")
            << QStringList{"alpha", "_gamma", "delta"};
        QTest::newRow("relative with subdirectory") << true << QByteArray("beside\n") << QStringList{"beside"};
    }
    void userKeywordFile()
    {
        QFETCH(bool, relative);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, words);
        QTemporaryDir outside;
        const QString sub = QStringLiteral("kw-test-%1/user.txt").arg(QCoreApplication::applicationPid());
        const QString beside = QCoreApplication::applicationDirPath() + QLatin1Char('/') + sub;
        QVERIFY(writeFile(beside, relative ? bytes : "wrong file\n"));
        QVERIFY(writeFile(outside.filePath("user.txt"), relative ? "wrong file\n" : bytes));
        QSettings().setValue("userKeywordFileName", relative ? sub : outside.filePath("user.txt"));
        const GlobalSettings s = loaded();
        QFile::remove(beside);
        QDir(QCoreApplication::applicationDirPath()).rmdir(QFileInfo(beside).dir().dirName());
        QCOMPARE(s.userKeywords, QSet<QString>(words.begin(), words.end()));
    }
};

QTEST_GUILESS_MAIN(TestGlobalSettings)
#include "tst_globalsettings.moc"
