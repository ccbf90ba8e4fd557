#include "testtable.h"

#include "testsupport.h"

QString unescapeTestField(const QString &field)
{
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (c != QLatin1Char('\\') || i + 1 == field.size()) {
            out += c;
            continue;
        }
        const QChar e = field.at(++i);
        switch (e.unicode()) {
        case 'n': out += QLatin1Char('\n'); break;
        case 'r': out += QLatin1Char('\r'); break;
        case 't': out += QLatin1Char('\t'); break;
        case 'e': out += QChar(0x1b); break;
        case '0': break;  // an empty field, which " | " alone cannot show
        case 'u':
        case 'U': {
            const int digits = e == QLatin1Char('u') ? 4 : 8;
            bool ok = false;
            const char32_t code = field.mid(i + 1, digits).toUInt(&ok, 16);
            if (!ok || i + digits >= field.size())
                qFatal("bad escape in test field: %s", qPrintable(field));
            // \uXXXX is one UTF-16 unit, so that a lone surrogate can be written.
            if (digits == 4)
                out += QChar(char16_t(code));
            else
                out += QString::fromUcs4(&code, 1);
            i += digits;
            break;
        }
        default: out += e; break;  // \| \\ and anything else stand for themselves
        }
    }
    return out;
}

QList<TestRow> readTestTable(const QString &relativePath)
{
    const QString path = QStringLiteral(MOSSGLEN_TEST_DATA "/") + relativePath;
    const QByteArray bytes = readFile(path);
    if (bytes.isEmpty())
        qFatal("test table %s is missing or empty", qPrintable(path));
    QList<TestRow> rows;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (int n = 0; n < lines.size(); ++n) {
        const QString &line = lines.at(n);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        // Split at " | " not preceded by a backslash.
        QStringList raw;
        qsizetype start = 0;
        for (qsizetype i = 0; i + 2 < line.size(); ++i) {
            if (line.at(i) == QLatin1Char(' ') && line.at(i + 1) == QLatin1Char('|')
                && line.at(i + 2) == QLatin1Char(' ')
                && !(i > 0 && line.at(i - 1) == QLatin1Char('\\') && i - 1 >= start)) {
                raw.append(line.mid(start, i - start));
                start = i + 3;
                i += 2;
            }
        }
        raw.append(line.mid(start));
        TestRow row;
        row.name = raw.takeFirst().trimmed();
        for (const QString &f : raw)
            row.fields.append(unescapeTestField(f));
        rows.append(row);
    }
    return rows;
}

void addDirectoryRows(const QString &relativeDir, const char *column)
{
    QTest::addColumn<QString>(column);
    const QDir dir(QStringLiteral(MOSSGLEN_TEST_DATA "/") + relativeDir);
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}
