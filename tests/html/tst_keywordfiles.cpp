#include "html/closetags.h"
#include "testtable.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QtTest>

// Checks the keyword files and the page template shipped in settings/: that
// every line has the form the completion, the highlighter and the scanner
// expect, and that the well-known entries are there.
class TestKeywordFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void wellFormedText_data();
    void wellFormedText();

    void tagLines();
    void entries_data();
    void entries();
    void everyTagHasGlobalAttributes();

    void cssLines();

    void charRefLines();
    void scriptLines();

    void templatePage();

private:
    QHash<QString, QString> texts;  // file name -> decoded text

    struct Tag {
        QString description;
        QStringList attributes;  // attribute texts, in file order
    };
    QHash<QString, Tag> tags;
    QStringList tagOrder;
};

namespace {

const char *const shippedFiles[] = {
    "tags.txt", "css.txt", "htmlSpecialChars.txt", "jsKeywords.txt", "phpKeywords.txt",
    "template.html",
};

QString settingsPath(const QString &name)
{
    return QStringLiteral(MOSSGLEN_SOURCE_DIR "/settings/") + name;
}

QStringList fields(const QString &line)
{
    return line.split(u'\t', Qt::KeepEmptyParts);
}

// A description field: present, with no blanks at its ends.
bool goodDescription(const QString &text)
{
    return !text.isEmpty() && text.trimmed() == text;
}

} // namespace

void TestKeywordFiles::initTestCase()
{
    for (const char *name : shippedFiles) {
        QFile file(settingsPath(QString::fromLatin1(name)));
        QVERIFY2(file.open(QIODevice::ReadOnly), name);
        const QByteArray bytes = file.readAll();
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder.decode(bytes);
        QVERIFY2(!decoder.hasError(), name);
        texts.insert(QString::fromLatin1(name), text);
    }

    // tags.txt read by the rules of the completion: a line that begins with
    // a letter is a tag, a line that begins with a TAB or blank belongs to
    // the tag above, any other non-empty line ends the tag's section.
    QString current;
    for (const QString &line : texts.value(QStringLiteral("tags.txt")).split(u'\n')) {
        if (line.isEmpty())
            continue;
        if (line.front().isLetter()) {
            const QStringList parts = fields(line);
            current = parts.at(0).toLower();
            if (!tags.contains(current))
                tagOrder.append(current);
            tags[current].description = parts.value(1);
        } else if (line.front() == u'\t' || line.front() == u' ') {
            if (!current.isEmpty())
                tags[current].attributes.append(fields(line.mid(1)).at(0).toLower());
        } else {
            current.clear();
        }
    }
}

void TestKeywordFiles::wellFormedText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("endsWithLineFeed");

    // Every line of css.txt and htmlSpecialChars.txt is a candidate, so a
    // final line feed would add an empty one.
    QTest::newRow("tags") << "tags.txt" << true;
    QTest::newRow("css") << "css.txt" << false;
    QTest::newRow("character references") << "htmlSpecialChars.txt" << false;
    QTest::newRow("script keywords") << "jsKeywords.txt" << true;
    QTest::newRow("php keywords") << "phpKeywords.txt" << true;
    QTest::newRow("template") << "template.html" << true;
}

void TestKeywordFiles::wellFormedText()
{
    QFETCH(QString, name);
    QFETCH(bool, endsWithLineFeed);

    const QString text = texts.value(name);
    QVERIFY(!text.isEmpty());
    // A CR would stay in the last field of a line.
    QVERIFY(!text.contains(u'\r'));
    QVERIFY(!text.startsWith(QChar(0xfeff)));
    QCOMPARE(text.endsWith(u'\n'), endsWithLineFeed);
    QVERIFY(!text.contains(QLatin1String("\n\n\n")));
}

void TestKeywordFiles::tagLines()
{
    static const QRegularExpression tagName(QStringLiteral("^[a-z][a-z0-9]*$"));
    static const QRegularExpression attribute(QStringLiteral("^[a-z][a-z0-9-]*(=\"\")?$"));

    bool seenTag = false;
    bool inSection = false;
    QSet<QString> names;
    const QStringList lines = texts.value(QStringLiteral("tags.txt")).split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const QByteArray where = QByteArray::number(i + 1) + ": " + line.toUtf8();
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'#')) {
            // Comments only head the file: anywhere else they would cut a
            // tag's attribute section short.
            QVERIFY2(!seenTag, where);
            continue;
        }
        const QStringList parts = fields(line.front() == u'\t' ? line.mid(1) : line);
        QVERIFY2(parts.size() <= 2, where);
        if (line.front() == u'\t') {
            QVERIFY2(inSection, where);
            QVERIFY2(attribute.match(parts.at(0)).hasMatch(), where);
            if (parts.size() == 2)
                QVERIFY2(goodDescription(parts.at(1)), where);
        } else {
            QVERIFY2(tagName.match(parts.at(0)).hasMatch(), where);
            QVERIFY2(parts.size() == 2 && goodDescription(parts.at(1)), where);
            QVERIFY2(!names.contains(parts.at(0)), where);
            names.insert(parts.at(0));
            seenTag = true;
            inSection = true;
        }
    }
    QVERIFY(tagOrder.size() >= 100);
    QCOMPARE(names.size(), tagOrder.size());
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
        for (auto t = tags.cbegin(); t != tags.cend(); ++t) {
            set.insert(t.key());
            for (const QString &attribute : t.value().attributes)
                set.insert(t.key() + u' ' + attribute);
        }
    } else if (file == u"jsKeywords.txt") {
        // The set is read as the main window reads it: trimmed lines, the
        // part before a TAB, empty results dropped.
        for (const QString &line : texts.value(file).split(u'\n'))
            if (const QString word = line.trimmed().section(u'\t', 0, 0); !word.isEmpty())
                set.insert(word);
    } else {
        for (const QString &line : texts.value(file).split(u'\n'))
            set.insert(file == u"css.txt" ? fields(line).at(0) : line);
    }
    QCOMPARE(set.contains(entry), listed);
}

void TestKeywordFiles::everyTagHasGlobalAttributes()
{
    // Completion offers only the attributes listed under a tag, so the
    // global ones have to be repeated under each of them.
    for (const QString &tag : std::as_const(tagOrder)) {
        const QStringList &attributes = tags.value(tag).attributes;
        for (const char *global : {"id=\"\"", "class=\"\"", "style=\"\"", "title=\"\"", "lang=\"\""})
            QVERIFY2(attributes.contains(QLatin1String(global)), qPrintable(tag + u' ' + global));
        QVERIFY2(QSet<QString>(attributes.cbegin(), attributes.cend()).size() == attributes.size(), qPrintable(tag));
    }
}

void TestKeywordFiles::cssLines()
{
    static const QRegularExpression property(QStringLiteral("^[a-z][a-z0-9-]*$"));
    QSet<QString> seen;
    const QStringList lines = texts.value(QStringLiteral("css.txt")).split(u'\n');
    for (const QString &line : lines) {
        const QStringList parts = fields(line);
        QVERIFY2(parts.size() <= 2, qPrintable(line));
        QVERIFY2(property.match(parts.at(0)).hasMatch(), qPrintable(line));
        if (parts.size() == 2)
            QVERIFY2(goodDescription(parts.at(1)), qPrintable(line));
        QVERIFY2(!seen.contains(parts.at(0)), qPrintable(line));
        seen.insert(parts.at(0));
    }
    QVERIFY(seen.size() >= 300);
}

void TestKeywordFiles::charRefLines()
{
    static const QRegularExpression reference(QStringLiteral("^&[A-Za-z][A-Za-z0-9]*;$"));
    QSet<QString> seen;
    const QStringList lines = texts.value(QStringLiteral("htmlSpecialChars.txt")).split(u'\n');
    for (const QString &line : lines) {
        const QStringList parts = fields(line);
        QVERIFY2(parts.size() == 2, qPrintable(line));
        QVERIFY2(reference.match(parts.at(0)).hasMatch(), qPrintable(line));
        QVERIFY2(!parts.at(1).isEmpty(), qPrintable(line));
        QVERIFY2(!seen.contains(parts.at(0)), qPrintable(line));
        seen.insert(parts.at(0));
    }
    QVERIFY(seen.size() >= 2000);
    // The everyday references lead the list.
    QCOMPARE(lines.mid(0, 3), (QStringList{"&amp;\t&", "&lt;\t<", "&gt;\t>"}));
}

void TestKeywordFiles::scriptLines()
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_$][A-Za-z0-9_$]*$"));
    int words = 0;
    for (const QString &line : texts.value(QStringLiteral("jsKeywords.txt")).split(u'\n')) {
        const QString entry = line.trimmed().section(u'\t', 0, 0);
        QVERIFY2(entry.isEmpty() || identifier.match(entry).hasMatch(), qPrintable(line));
        words += entry.isEmpty() ? 0 : 1;
    }
    QVERIFY(words >= 100);
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

    qsizetype cursor = 0;
    for (int i = 0; i < empty; ++i)
        cursor += lines.at(i).size() + 1;
    QCOMPARE(CloseTags::forText(text, cursor), (QStringList{"</html>", "</body>"}));
    QVERIFY(CloseTags::forText(text, text.size()).isEmpty());
}

QTEST_GUILESS_MAIN(TestKeywordFiles)
#include "tst_keywordfiles.moc"
