#include "html/zencoding.h"

#include <QList>
#include <QStringList>

#include <climits>

namespace {

struct Skeleton {
    const char *part;
    const char *text;  // without alignment: it is added after every line feed later
    int lines;         // the line of the first content
};

const Skeleton skeletons[] = {
    {"ul+", "<ul>\n\t<li></li>\n</ul>", 1},
    {"ol+", "<ol>\n\t<li></li>\n</ol>", 1},
    {"dl+", "<dl>\n\t<dt></dt>\n\t<dd></dd>\n</dl>", 1},
    {"table+", "<table>\n\t<tr>\n\t\t<td></td>\n\t</tr>\n</table>", 2},
};

const Skeleton *findSkeleton(const QString &part)
{
    for (const Skeleton &s : skeletons) {
        if (part == QLatin1String(s.part))
            return &s;
    }
    return nullptr;
}

bool isSpecifierMark(QChar c)
{
    return c == u'#' || c == u'.';
}

bool isBlankOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The `count` copies of `text`, each with "$" replaced by its number, joined
// by line feeds. Returns false as soon as the result would pass `limit`.
bool repeatNumbered(const QString &text, int count, qsizetype limit, QString &out)
{
    out.clear();
    if (count <= 0)
        return true;
    // Every copy is at least as long as the text, so this bound is checked
    // before anything is allocated.
    if (qint64(count) * (text.size() + 1) - 1 > limit)
        return false;
    const bool numbered = text.contains(u'$');
    for (int i = 1; i <= count; ++i) {
        if (i > 1)
            out += u'\n';
        if (numbered) {
            QString copy = text;
            copy.replace(u'$', QString::number(i));
            out += copy;
        } else {
            out += text;
        }
        if (out.size() > limit)
            return false;
    }
    return true;
}

// Column of the cursor on one line of the markup: behind the opening tag of
// the first element that begins on the line, or inside the quotes of href=""
// when that element is an anchor.
int cursorColumn(QStringView line)
{
    int i = 0;
    while (i < line.size() && isBlankOrTab(line[i]))
        ++i;
    // Closing tags of the elements that end on this line come first.
    while (line.sliced(i).startsWith(u"</")) {
        const qsizetype end = line.indexOf(u'>', i);
        if (end < 0)
            break;
        i = int(end + 1);
    }
    if (i >= line.size() || line[i] != u'<')
        return i;
    const qsizetype close = line.indexOf(u'>', i);
    if (close < 0)
        return i;
    qsizetype nameEnd = i + 1;
    while (nameEnd < close && line[nameEnd] != u' ')
        ++nameEnd;
    const bool anchor = line.sliced(i + 1, nameEnd - i - 1) == QLatin1String("a");
    return int(close + 1) - (anchor ? 2 : 0);
}

} // namespace

int ZenCoding::splitRepeat(QString &item)
{
    const qsizetype star = item.lastIndexOf(u'*');
    if (star < 1 || star == item.size() - 1)
        return 1;
    qint64 value = 0;
    for (qsizetype i = star + 1; i < item.size(); ++i) {
        const QChar c = item[i];
        const int digit = c.digitValue();
        if (!c.isNumber() || digit < 0)
            return 1;
        // Anything this large is refused by the size limit anyway; clamping
        // keeps the count from wrapping round to a small or negative number.
        value = qMin<qint64>(value * 10 + digit, INT_MAX);
    }
    item.truncate(star);
    return int(value);
}

QString ZenCoding::openTag(QString &item, int &adjust)
{
    qsizetype pos = 0;
    while (pos < item.size() && !isSpecifierMark(item[pos]))
        ++pos;
    const QString name = item.left(pos);
    QString tag = name;
    QChar previousKind;
    while (pos < item.size()) {
        const QChar kind = item[pos];
        qsizetype end = pos + 1;
        while (end < item.size() && !isSpecifierMark(item[end]))
            ++end;
        const QStringView value = QStringView(item).sliced(pos + 1, end - pos - 1);
        if (kind == previousKind) {
            tag += u' ';
        } else {
            if (!previousKind.isNull())
                tag += u'"';
            tag += kind == u'#' ? QLatin1String(" id=\"") : QLatin1String(" class=\"");
        }
        tag += value;
        previousKind = kind;
        pos = end;
    }
    if (!previousKind.isNull())
        tag += u'"';
    adjust = 0;
    if (name == QLatin1String("a")) {
        tag += QLatin1String(" href=\"\"");
        adjust = -2;
    }
    item = name;
    return tag;
}

bool ZenCoding::isInline(const QString &name)
{
    static const char *const inlineNames[] = {"a", "b", "i", "u", "font", "span"};
    for (const char *inlineName : inlineNames) {
        if (name.compare(QLatin1String(inlineName), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool ZenCoding::expandAbbreviation(const QString &prefix, QString &abbreviation,
                                   int &lines, int &column)
{
    const qsizetype limit = MaxMarkupSize;
    const QStringList parts = abbreviation.split(u'>', Qt::KeepEmptyParts);

    // The markup is built without the alignment; it goes after every line
    // feed at the end, so that nested and sibling lines line up as well.
    QString inner;
    int innerLines = 0;
    for (qsizetype p = parts.size() - 1; p >= 0; --p) {
        const QString &part = parts[p];
        if (const Skeleton *skeleton = findSkeleton(part)) {
            const QLatin1String text(skeleton->text);
            if (inner.size() + text.size() > limit)
                return false;
            inner += text;
            innerLines += skeleton->lines;
            continue;
        }

        const QStringList items = part.split(u'+', Qt::KeepEmptyParts);
        QList<QString> texts(items.size());
        QList<int> itemLines(items.size(), 0);
        qint64 partSize = items.size() - 1;
        for (qsizetype i = items.size() - 1; i >= 0; --i) {
            QString item = items[i];
            const bool hasContent = i == items.size() - 1 && !inner.isEmpty();
            const int count = splitRepeat(item);
            int adjust = 0;
            const QString open = openTag(item, adjust);
            const QString close = QLatin1String("</") + item + u'>';

            QString text;
            if (!hasContent || isInline(item)) {
                if (open.size() + inner.size() + close.size() + 2 > limit)
                    return false;
                text = u'<' + open + u'>' + (hasContent ? inner : QString()) + close;
                itemLines[i] = hasContent ? innerLines : 0;
            } else {
                const qsizetype feeds = inner.count(u'\n');
                if (open.size() + inner.size() + feeds + close.size() + 5 > limit)
                    return false;
                QString content = inner;
                content.replace(u'\n', QLatin1String("\n\t"));
                text = u'<' + open + QLatin1String(">\n\t") + content + u'\n' + close;
                itemLines[i] = innerLines + 1;
            }
            if (!repeatNumbered(text, count, limit, texts[i]))
                return false;
            partSize += texts[i].size();
            if (partSize > limit)
                return false;
        }

        // The cursor goes into the first item that produced any text; the
        // empty items before it only contribute the line feeds that join them.
        innerLines = 0;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            if (!texts[i].isEmpty()) {
                innerLines = int(i) + itemLines[i];
                break;
            }
        }
        inner = texts.join(u'\n');
    }

    const qsizetype feeds = inner.count(u'\n');
    if (qint64(inner.size()) + qint64(feeds) * prefix.size() > limit)
        return false;
    if (!prefix.isEmpty() && feeds > 0)
        inner.replace(u'\n', u'\n' + prefix);

    // Locate the cursor's line in the finished markup.
    qsizetype lineStart = 0;
    int line = 0;
    while (line < innerLines) {
        const qsizetype feed = inner.indexOf(u'\n', lineStart);
        if (feed < 0)
            break;
        lineStart = feed + 1;
        ++line;
    }
    qsizetype lineEnd = inner.indexOf(u'\n', lineStart);
    if (lineEnd < 0)
        lineEnd = inner.size();

    abbreviation = inner;
    lines = line;
    column = cursorColumn(QStringView(inner).sliced(lineStart, lineEnd - lineStart));
    return true;
}

bool ZenCoding::findAbbreviation(const QString &line, int end, int &start, QString &prefix)
{
    end = qBound(0, end, int(line.size()));
    int from = end;
    while (from > 0 && !isBlankOrTab(line[from - 1]))
        --from;
    if (from == end)
        return false;
    start = from;
    prefix = line.left(from);
    for (QChar &c : prefix) {
        if (!isBlankOrTab(c))
            c = u' ';
    }
    return true;
}

QString ZenCoding::tooLargeMessage()
{
    return tr("The abbreviation is too large: its markup would exceed 1 MB.");
}
