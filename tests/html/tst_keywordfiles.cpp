#include "html/closetags.h"
#include "testtable.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QtTest>

// The keyword files and the page template shipped in settings/: every line
// has the form the completion, the highlighter and the scanner expect, and
// the well-known entries are there.
class TestKeywordFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void lines_data();
    void lines();
    void entries_data();
    void entries();
    void everyTagHasGlobalAttributes();
    void templatePage();

private:
    QHash<QString, QString> texts;                 // file name -> decoded text
    QHash<QString, QStringList> attributes;       // tag -> attribute texts, in file order
    QStringList tagOrder;
};

void TestKeywordFiles::initTestCase()
{
    for (const char *name : {"tags.txt", "css.txt", "htmlSpecialChars.txt", "jsKeywords.txt",
                             "phpKeywords.txt", "template.html"}) {
        QFile file(QStringLiteral(MOSSGLEN_SOURCE_DIR "/settings/") + QLatin1String(name));
        QVERIFY2(file.open(QIODevice::ReadOnly), name);
        QStringDecoder decoder(QStringDecoder::Utf8);
        texts.insert(QLatin1String(name), decoder.decode(file.readAll()));
        QVERIFY2(!decoder.hasError(), name);
    }
    // tags.txt read by the rules of the completion: a line that begins with
    // a letter is a tag, one that begins with a TAB or blank belongs to the
    // tag above, any other non-empty line ends the tag's section.
    QString current;
    for (const QString &line : texts.value(QStringLiteral("tags.txt")).split(u'\n')) {
        if (line.isEmpty())
            continue;
        if (line.front().isLetter()) {
            current = line.section(u'\t', 0, 0).toLower();
            if (!tagOrder.contains(current))
                tagOrder.append(current);
        } else if (line.front() == u'\t' || line.front() == u' ') {
            if (!current.isEmpty())
                attributes[current].append(line.mid(1).section(u'\t', 0, 0).toLower());
        } else {
            current.clear();
        }
    }
}

void TestKeywordFiles::lines_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("endsWithLineFeed");
    QTest::addColumn<QString>("line");  // what every non-empty line matches
    QTest::addColumn<int>("minimum");   // entries, each named once
    // A description: no TAB, no blanks at its ends.
    const QString d = QStringLiteral(R"([^\t\s](?:[^\t]*[^\t\s])?)");
    // Every line of css.txt and htmlSpecialChars.txt is a candidate, so a
    // final line feed would add an empty one. Comments only head tags.txt:
    // anywhere else they would cut a tag's attribute section short.
    QTest::newRow("tags") << "tags.txt" << true
                          << QStringLiteral(R"(#.*|[a-z][a-z0-9]*\t%1|\t[a-z][a-z0-9-]*(="")?(\t%1)?)").arg(d) << 100;
    QTest::newRow("css") << "css.txt" << false << QStringLiteral(R"([a-z][a-z0-9-]*(\t%1)?)").arg(d) << 300;
    QTest::newRow("character references") << "htmlSpecialChars.txt" << false
                                          << R"(&[A-Za-z][A-Za-z0-9]*;\t[^\t]+)" << 2000;
    QTest::newRow("script keywords") << "jsKeywords.txt" << true
                                     << R"(\s*([A-Za-z_$][A-Za-z0-9_$]*)?(\s*|\t.*))" << 100;
    QTest::newRow("php keywords") << "phpKeywords.txt" << true << ".*" << 0;
    QTest::newRow("template") << "template.html" << true << ".*" << 0;
}

void TestKeywordFiles::lines()
{
    QFETCH(QString, name);
    QFETCH(bool, endsWithLineFeed);
    QFETCH(QString, line);
    QFETCH(int, minimum);
    const QString text = texts.value(name);
    QVERIFY(!text.isEmpty());
    // A CR would stay in the last field of a line.
    QVERIFY(!text.contains(u'\r'));
    QVERIFY(!text.startsWith(QChar(0xfeff)));
    QCOMPARE(text.endsWith(u'\n'), endsWithLineFeed);
    QVERIFY(!text.contains(QLatin1String("\n\n\n")));
    if (minimum == 0)
        return;
    const QRegularExpression form(QRegularExpression::anchoredPattern(line));
    QSet<QString> seen;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString &l = lines.at(i);
        const QByteArray where = QByteArray::number(i + 1) + ": " + l.toUtf8();
        if (l.isEmpty())
            continue;
        QVERIFY2(form.match(l).hasMatch(), where);
        if (l.startsWith(u'#') || l.startsWith(u'\t')) {
            QVERIFY2(l.startsWith(u'\t') != seen.isEmpty(), where);
        } else if (const QString entry = l.trimmed().section(u'\t', 0, 0); !entry.isEmpty()) {
            QVERIFY2(!seen.contains(entry), where);
            seen.insert(entry);
        }
    }
    QVERIFY(seen.size() >= minimum);
}

void TestKeywordFiles::entries_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("listed");
    for (const TestRow &r : readTestTable(QStringLiteral("html/keyword_entries.txt")))
        QTest::newRow(qPrintable(r.fields.at(0) + QLatin1String(": ") + r.name))
                << r.fields.at(0) << r.fields.at(1) << (r.fields.at(2) == u"yes");
}

void TestKeywordFiles::entries()
{
    QFETCH(QString, file);
    QFETCH(QString, entry);
    QFETCH(bool, listed);
    QSet<QString> set;
    if (file == u"tags.txt") {
        for (const QString &tag : std::as_const(tagOrder)) {
            set.insert(tag);
            for (const QString &attribute : attributes.value(tag))
                set.insert(tag + u' ' + attribute);
        }
    } else {
        // The script set is read as the main window reads it: trimmed lines,
        // the part before a TAB, empty results dropped.
        for (const QString &line : texts.value(file).split(u'\n'))
            set.insert(file == u"jsKeywords.txt" ? line.trimmed().section(u'\t', 0, 0)
                       : file == u"css.txt"      ? line.section(u'\t', 0, 0) : line);
        set.remove(QString());
    }
    QCOMPARE(set.contains(entry), listed);
}

void TestKeywordFiles::everyTagHasGlobalAttributes()
{
    // Completion offers only the attributes listed under a tag, so the
    // global ones have to be repeated under each of them.
    for (const QString &tag : std::as_const(tagOrder)) {
        const QStringList list = attributes.value(tag);
        for (const char *global : {"id=\"\"", "class=\"\"", "style=\"\"", "title=\"\"", "lang=\"\""})
            QVERIFY2(list.contains(QLatin1String(global)), qPrintable(tag + u' ' + global));
        QVERIFY2(QSet<QString>(list.cbegin(), list.cend()).size() == list.size(), qPrintable(tag));
    }
    // The everyday references lead the list.
    QVERIFY(texts.value(QStringLiteral("htmlSpecialChars.txt")).startsWith(QLatin1String("&amp;\t&\n&lt;\t<\n&gt;\t>\n")));
}

void TestKeywordFiles::templatePage()
{
    const QString text = texts.value(QStringLiteral("template.html"));
    const QStringList lines = text.split(u'\n');
    QCOMPARE(lines.first(), QStringLiteral("<!DOCTYPE html>"));
    QVERIFY(text.contains(QLatin1String("<meta charset=\"UTF-8\">")));
    QVERIFY(text.contains(QLatin1String("<title>")));
    // The new document's cursor goes to the first empty line: inside the body.
    const int empty = int(lines.indexOf(QString()));
    QVERIFY(empty > 0);
    QCOMPARE(lines.at(empty - 1), QStringLiteral("<body>"));
    QCOMPARE(lines.at(empty + 1), QStringLiteral("</body>"));
    const qsizetype cursor = lines.mid(0, empty).join(u'\n').size() + 1;
    QCOMPARE(CloseTags::forText(text, cursor), (QStringList{"</html>", "</body>"}));
    QVERIFY(CloseTags::forText(text, text.size()).isEmpty());
}

QTEST_GUILESS_MAIN(TestKeywordFiles)
#include "tst_keywordfiles.moc"
