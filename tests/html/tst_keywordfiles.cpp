#include "html/closetags.h"
#include "html/keywordlist.h"
#include "testsupport.h"

// The keyword files and the page template shipped in settings/: every line
// has the form the completion, the highlighter and the scanner expect, and
// the well-known entries are there.
class TestKeywordFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        for (const char *name : {"tags.txt", "css.txt", "htmlSpecialChars.txt", "jsKeywords.txt",
                                 "phpKeywords.txt", "template.html"}) {
            QStringDecoder decoder(QStringDecoder::Utf8);
            texts.insert(QLatin1String(name), decoder.decode(readFile(QStringLiteral(MOSSGLEN_SOURCE_DIR "/settings/") + name)));
            QVERIFY2(!decoder.hasError() && !texts.value(QLatin1String(name)).isEmpty(), name);
        }
        const KeywordList tags = KeywordList::fromText(texts.value(QStringLiteral("tags.txt")));
        for (const QString &tag : tags.tags()) {
            QStringList &list = attributes[tag.section(u'\t', 0, 0)];
            for (const QString &attribute : tags.attributes(tag.section(u'\t', 0, 0)))
                list << attribute.section(u'\t', 0, 0);
        }
    }
    // Fields: file | whether it ends with a line feed | the form of every
    // non-empty line | how many entries it has at least, each named once.
    void lines_data() { addTableRows(QStringLiteral("html/keyword_forms.txt")); }
    void lines()
    {
        QFETCH(QStringList, fields);
        const QString text = texts.value(fields.at(0));
        // A CR would stay in the last field of a line.
        QVERIFY(!text.contains(u'\r') && !text.startsWith(QChar(0xfeff)) && !text.contains(QLatin1String("\n\n\n")));
        QCOMPARE(text.endsWith(u'\n'), fields.at(1) == u"yes");
        const int minimum = fields.at(3).toInt();
        if (minimum == 0)
            return;
        const QRegularExpression form(QRegularExpression::anchoredPattern(fields.at(2)));
        QSet<QString> seen;
        const QStringList lines = text.split(u'\n');
        for (int i = 0; i < lines.size(); ++i) {
            const QString &l = lines.at(i);
            const QByteArray where = QByteArray::number(i + 1) + ": " + l.toUtf8();
            QVERIFY2(l.isEmpty() || form.match(l).hasMatch(), where);
            if (l.startsWith(u'#') || l.startsWith(u'\t')) {
                QVERIFY2(l.startsWith(u'\t') != seen.isEmpty(), where);
            } else if (const QString entry = l.trimmed().section(u'\t', 0, 0); !entry.isEmpty()) {
                QVERIFY2(!seen.contains(entry), where);
                seen.insert(entry);
            }
        }
        QVERIFY(seen.size() >= minimum);
    }
    // Fields: file | entry | yes or no. In tags.txt an entry is a tag name, or a
    // tag name and one of its attributes.
    void entries_data() { addTableRows(QStringLiteral("html/keyword_entries.txt")); }
    void entries()
    {
        QFETCH(QStringList, fields);
        const QString &file = fields.at(0);
        QSet<QString> set;
        if (file == u"tags.txt") {
            for (auto it = attributes.cbegin(); it != attributes.cend(); ++it) {
                set.insert(it.key());
                for (const QString &attribute : it.value())
                    set.insert(it.key() + u' ' + attribute);
            }
        } else {
            // The script set is read as the main window reads it: trimmed lines,
            // the part before a TAB, empty results dropped.
            for (const QString &line : texts.value(file).split(u'\n'))
                set.insert(file == u"jsKeywords.txt" ? line.trimmed().section(u'\t', 0, 0)
                           : file == u"css.txt"      ? line.section(u'\t', 0, 0) : line);
            set.remove(QString());
        }
        QCOMPARE(set.contains(fields.at(1)), fields.at(2) == u"yes");
    }
    void everyTagHasGlobalAttributes()
    {
        // Completion offers only the attributes listed under a tag, so the
        // global ones have to be repeated under each of them.
        for (auto it = attributes.cbegin(); it != attributes.cend(); ++it) {
            for (const char *global : {"id=\"\"", "class=\"\"", "style=\"\"", "title=\"\"", "lang=\"\""})
                QVERIFY2(it.value().contains(QLatin1String(global)), qPrintable(it.key() + u' ' + global));
            QVERIFY2(QSet<QString>(it.value().cbegin(), it.value().cend()).size() == it.value().size(), qPrintable(it.key()));
        }
        // The everyday references lead the list.
        QVERIFY(texts.value(QStringLiteral("htmlSpecialChars.txt")).startsWith(QLatin1String("&amp;\t&\n&lt;\t<\n&gt;\t>\n")));
    }
    void templatePage()
    {
        const QString text = texts.value(QStringLiteral("template.html"));
        const QStringList lines = text.split(u'\n');
        QCOMPARE(lines.first(), QStringLiteral("<!DOCTYPE html>"));
        QVERIFY(text.contains(QLatin1String("<meta charset=\"UTF-8\">")) && text.contains(QLatin1String("<title>")));
        // The new document's cursor goes to the first empty line: inside the body.
        const int empty = int(lines.indexOf(QString()));
        QVERIFY(empty > 0);
        QCOMPARE(lines.mid(empty - 1, 3), (QStringList{"<body>", "", "</body>"}));
        const qsizetype cursor = lines.mid(0, empty).join(u'\n').size() + 1;
        QCOMPARE(CloseTags::forText(text, cursor), (QStringList{"</html>", "</body>"}));
        QVERIFY(CloseTags::forText(text, text.size()).isEmpty());
    }

private:
    QHash<QString, QString> texts;            // file name -> decoded text
    QHash<QString, QStringList> attributes;  // tag of tags.txt -> its attributes, as completion reads them
};

QTEST_GUILESS_MAIN(TestKeywordFiles)
#include "tst_keywordfiles.moc"
