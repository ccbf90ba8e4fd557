#include "html/closetags.h"

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
    void tagAttributes_data();
    void tagAttributes();
    void everyTagHasGlobalAttributes();

    void cssLines();
    void cssProperties_data();
    void cssProperties();

    void charRefLines();
    void charRefs_data();
    void charRefs();

    void scriptKeywords_data();
    void scriptKeywords();

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

void TestKeywordFiles::tagAttributes_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    QTest::newRow("div") << "div" << QStringList{"class=\"\"", "id=\"\"", "style=\"\"", "hidden"}
                         << QStringList{"align=\"\"", "href=\"\""};
    QTest::newRow("a") << "a" << QStringList{"href=\"\"", "target=\"\"", "rel=\"\"", "download"}
                       << QStringList{"href", "charset=\"\"", "rev=\"\""};
    QTest::newRow("img") << "img" << QStringList{"src=\"\"", "alt=\"\"", "width=\"\"", "srcset=\"\""}
                         << QStringList{"border=\"\"", "align=\"\""};
    QTest::newRow("input") << "input"
                           << QStringList{"type=\"\"", "name=\"\"", "value=\"\"", "checked",
                                          "disabled", "required", "placeholder=\"\""}
                           << QStringList{"checked=\"\""};
    QTest::newRow("table") << "table" << QStringList{"class=\"\""}
                           << QStringList{"bgcolor=\"\"", "border=\"\"", "cellpadding=\"\""};
    QTest::newRow("script") << "script"
                            << QStringList{"src=\"\"", "type=\"\"", "async", "defer"}
                            << QStringList{"language=\"\""};
    QTest::newRow("meta") << "meta" << QStringList{"charset=\"\"", "name=\"\"", "content=\"\""}
                          << QStringList();
    QTest::newRow("html") << "html" << QStringList{"lang=\"\""} << QStringList();
    QTest::newRow("li") << "li" << QStringList{"value=\"\""} << QStringList();
    QTest::newRow("br") << "br" << QStringList{"id=\"\""} << QStringList{"clear=\"\""};
    QTest::newRow("details") << "details" << QStringList{"open"} << QStringList();
    QTest::newRow("body") << "body" << QStringList()
                          << QStringList{"bgcolor=\"\"", "background=\"\"", "text=\"\""};
}

void TestKeywordFiles::tagAttributes()
{
    QFETCH(QString, tag);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);

    QVERIFY2(tags.contains(tag), qPrintable(tag));
    const Tag &entry = tags.value(tag);
    QVERIFY(goodDescription(entry.description));
    for (const QString &attribute : present)
        QVERIFY2(entry.attributes.contains(attribute), qPrintable(tag + u' ' + attribute));
    for (const QString &attribute : absent)
        QVERIFY2(!entry.attributes.contains(attribute), qPrintable(tag + u' ' + attribute));
    QCOMPARE(QSet<QString>(entry.attributes.cbegin(), entry.attributes.cend()).size(),
             entry.attributes.size());
}

void TestKeywordFiles::everyTagHasGlobalAttributes()
{
    // Completion offers only the attributes listed under a tag, so the
    // global ones have to be repeated under each of them.
    for (const QString &tag : std::as_const(tagOrder)) {
        const QStringList &attributes = tags.value(tag).attributes;
        for (const char *global : {"id=\"\"", "class=\"\"", "style=\"\"", "title=\"\"", "lang=\"\""})
            QVERIFY2(attributes.contains(QLatin1String(global)), qPrintable(tag + u' ' + global));
    }
    // Obsolete elements stay out.
    for (const char *obsolete : {"font", "center", "marquee", "frame", "acronym", "big", "tt"})
        QVERIFY2(!tags.contains(QLatin1String(obsolete)), obsolete);
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

void TestKeywordFiles::cssProperties_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("listed");

    for (const char *name : {"display", "color", "margin", "margin-top", "font-family",
                             "grid-template-columns", "flex", "background-color", "z-index"})
        QTest::newRow(name) << QString::fromLatin1(name) << true;
    for (const char *name : {"-webkit-box-shadow", "--custom", "colour"})
        QTest::newRow(name) << QString::fromLatin1(name) << false;
}

void TestKeywordFiles::cssProperties()
{
    QFETCH(QString, name);
    QFETCH(bool, listed);

    bool found = false;
    for (const QString &line : texts.value(QStringLiteral("css.txt")).split(u'\n'))
        found = found || fields(line).at(0) == name;
    QCOMPARE(found, listed);
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

void TestKeywordFiles::charRefs_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("shown");

    QTest::newRow("amp") << "&amp;" << "&";
    QTest::newRow("lt") << "&lt;" << "<";
    QTest::newRow("gt") << "&gt;" << ">";
    QTest::newRow("quot") << "&quot;" << "\"";
    QTest::newRow("copy") << "&copy;" << QString(QChar(0xa9));
    QTest::newRow("euro") << "&euro;" << QString(QChar(0x20ac));
    QTest::newRow("case matters") << "&Alpha;" << QString(QChar(0x391));
    QTest::newRow("two characters") << "&fjlig;" << "fj";
    QTest::newRow("astral") << "&Aopf;" << QString::fromUcs4(U"\U0001D538");
    // Invisible characters are written as code points, so that no line
    // holds a raw line feed or TAB.
    QTest::newRow("no-break space") << "&nbsp;" << "U+00A0";
    QTest::newRow("line feed") << "&NewLine;" << "U+000A";
    QTest::newRow("tab") << "&Tab;" << "U+0009";
}

void TestKeywordFiles::charRefs()
{
    QFETCH(QString, reference);
    QFETCH(QString, shown);

    const QStringList lines = texts.value(QStringLiteral("htmlSpecialChars.txt")).split(u'\n');
    QVERIFY(lines.contains(reference + u'\t' + shown));
}

void TestKeywordFiles::scriptKeywords_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("listed");

    for (const char *word : {"function", "var", "let", "const", "class", "return", "async",
                             "await", "yield", "true", "null", "typeof", "instanceof", "Array",
                             "Promise", "JSON", "Math", "undefined", "document", "window",
                             "console"})
        QTest::newRow(word) << QString::fromLatin1(word) << true;
    for (const char *word : {"Function ", "foo", "div", "reserved word", ""})
        QTest::newRow(QByteArray("not ").append(word).constData()) << QString::fromLatin1(word) << false;
}

void TestKeywordFiles::scriptKeywords()
{
    QFETCH(QString, word);
    QFETCH(bool, listed);

    // The set is read as the main window reads it: trimmed lines, the part
    // before a TAB, empty results dropped.
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_$][A-Za-z0-9_$]*$"));
    QSet<QString> keywords;
    for (const QString &line : texts.value(QStringLiteral("jsKeywords.txt")).split(u'\n')) {
        const QString entry = line.trimmed().section(u'\t', 0, 0);
        if (entry.isEmpty())
            continue;
        QVERIFY2(identifier.match(entry).hasMatch(), qPrintable(line));
        keywords.insert(entry);
    }
    QVERIFY(keywords.size() >= 100);
    QCOMPARE(keywords.contains(word), listed);
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
