#include "html/keywordlist.h"

#include <QFile>
#include <QHash>

#include <algorithm>

namespace {

bool isTagLine(const QString &line)
{
    return !line.isEmpty() && line.at(0).isLetter();
}

bool isAttributeLine(const QString &line)
{
    return !line.isEmpty() && (line.at(0) == u'\t' || line.at(0) == u' ');
}

// "name<TAB>description" from the fields of one line.
QString candidate(QStringView fields)
{
    const qsizetype tab = fields.indexOf(u'\t');
    if (tab < 0)
        return fields.toString().toLower();
    const qsizetype nextTab = fields.indexOf(u'\t', tab + 1);
    const QStringView description = nextTab < 0 ? fields.sliced(tab + 1)
                                                : fields.sliced(tab + 1, nextTab - tab - 1);
    return fields.first(tab).toString().toLower() + u'\t' + description.trimmed().toString();
}

// A word of the document as a hash key. Words are short and looked up once
// per occurrence, so a plain FNV-1a hash beats the general string hash.
struct WordKey {
    QStringView text;
    friend bool operator==(WordKey a, WordKey b) { return a.text == b.text; }
};

size_t qHash(WordKey key, size_t seed = 0)
{
    quint64 h = 14695981039346656037ull ^ seed;
    for (QChar c : key.text) {
        h ^= c.unicode();
        h *= 1099511628211ull;
    }
    return size_t(h);
}

QStringView firstField(QStringView line)
{
    const qsizetype tab = line.indexOf(u'\t');
    return tab < 0 ? line : line.first(tab);
}

} // namespace

KeywordList KeywordList::fromText(const QString &text)
{
    QStringList lines = text.split(u'\n', Qt::KeepEmptyParts);
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return KeywordList(lines);
}

KeywordList KeywordList::fromFile(const QString &path, bool *ok)
{
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    if (!opened)
        return KeywordList();
    return fromText(QString::fromUtf8(file.readAll()));
}

QStringList KeywordList::tags() const
{
    QStringList result;
    for (const QString &line : m_lines) {
        if (isTagLine(line))
            result.append(candidate(line));
    }
    return result;
}

QStringList KeywordList::attributes(const QString &tag) const
{
    QStringList result;
    if (tag.isEmpty())
        return result;
    const QString wanted = tag.toLower();
    qsizetype i = 0;
    for (; i < m_lines.size(); ++i) {
        const QString &line = m_lines.at(i);
        if (isTagLine(line) && firstField(line).toString().toLower() == wanted)
            break;
    }
    for (++i; i < m_lines.size(); ++i) {
        const QString &line = m_lines.at(i);
        if (line.isEmpty())
            continue;
        if (!isAttributeLine(line))
            break;
        result.append(candidate(QStringView(line).sliced(1)));
    }
    return result;
}

QStringList KeywordList::charRefFallback()
{
    return {QStringLiteral("&lt;\t<"), QStringLiteral("&gt;\t>"), QStringLiteral("&amp;\t&")};
}

bool KeywordList::isWordChar(QChar c)
{
    return c == u'_' || (c.unicode() < 256 && c.isLetterOrNumber());
}

QStringList KeywordList::documentWords(QStringView text, const QString &prefix,
                                       qsizetype from, int &row)
{
    row = -1;
    if (prefix.isEmpty())
        return {};
    // Big documents hold many repeats of few words: remember each word once,
    // with the position that decides its place, and sort at the end.
    QHash<WordKey, qsizetype> lastBefore;
    QHash<WordKey, qsizetype> firstAfter;
    const qsizetype size = text.size();
    qsizetype pos = 0;
    qsizetype at;
    while ((at = text.indexOf(prefix, pos)) >= 0) {
        qsizetype end = at + prefix.size();
        if (at > 0 && isWordChar(text[at - 1])) {
            pos = end;
            continue;
        }
        while (end < size && isWordChar(text[end]))
            ++end;
        const WordKey word{text.sliced(at, end - at)};
        if (at < from)
            lastBefore.insert(word, at);
        else if (at > from && !firstAfter.contains(word))
            firstAfter.insert(word, at);
        pos = end;
    }

    using Entry = QPair<qsizetype, QStringView>;
    QList<Entry> before;
    before.reserve(lastBefore.size());
    for (auto it = lastBefore.cbegin(); it != lastBefore.cend(); ++it)
        before.append({it.value(), it.key().text});
    QList<Entry> after;
    for (auto it = firstAfter.cbegin(); it != firstAfter.cend(); ++it) {
        if (!lastBefore.contains(it.key()))
            after.append({it.value(), it.key().text});
    }
    const auto byPosition = [](const Entry &a, const Entry &b) { return a.first < b.first; };
    std::sort(before.begin(), before.end(), byPosition);
    std::sort(after.begin(), after.end(), byPosition);

    QStringList result;
    result.reserve(before.size() + after.size());
    for (const Entry &e : before)
        result.append(e.second.toString());
    for (const Entry &e : after)
        result.append(e.second.toString());
    if (!before.isEmpty())
        row = int(before.size()) - 1;
    return result;
}
