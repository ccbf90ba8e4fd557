#include "html/closetags.h"

namespace {

// Elements without content. Offering "</img>" or "</source>" would only
// produce invalid markup, so they are never counted as open.
const char *const voidElements[] = {
    "area", "base", "br", "col", "embed", "hr", "img", "input",
    "link", "meta", "source", "track", "wbr",
};

// Whether `name` lower-cased equals `lower`, without building a string for
// the common all-ASCII name.
bool equalsLowered(QStringView name, const QString &lower)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c >= 0x80)
            return name.toString().toLower() == lower;
        const char16_t folded = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
        if (i >= lower.size() || folded != lower[i].unicode())
            return false;
    }
    return name.size() == lower.size();
}

} // namespace

bool CloseTags::isVoidElement(QStringView name)
{
    // Checked for every opening tag, so ASCII names are folded by hand.
    char lower[8] = {};
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c >= 0x80) {
            // Rare: a few non-ASCII letters fold to ASCII ones.
            const QString folded = name.toString().toLower();
            for (const char *element : voidElements) {
                if (folded == QLatin1String(element))
                    return true;
            }
            return false;
        }
        if (i >= 6)
            return false;
        lower[i] = char(c >= u'A' && c <= u'Z' ? c + 32 : c);
    }
    for (const char *element : voidElements) {
        if (qstrcmp(lower, element) == 0)
            return true;
    }
    return false;
}

void CloseTags::addLine(QStringView line)
{
    const qsizetype size = line.size();
    qsizetype k = 0;
    qsizetype lt;
    while ((lt = line.indexOf(u'<', k)) >= 0) {
        const qsizetype c = lt + 1;
        k = c;
        if (c >= size)
            break;
        bool closing = false;
        qsizetype nameStart = c;
        if (line[c] == u'/') {
            closing = true;
            nameStart = c + 1;
            k = nameStart;
        } else if (!line[c].isLetter()) {
            continue;  // "<!", "<?", "< ", "<1" ...
        }
        // "<br/>", "<x a=b/>": complete in itself.
        const qsizetype gt = line.indexOf(u'>', nameStart);
        if (gt > 0 && line[gt - 1] == u'/')
            continue;
        if (nameStart >= size)
            break;  // "</" at the end of the line names nothing

        qsizetype nameEnd = nameStart + 1;
        while (nameEnd < size && line[nameEnd].isLetterOrNumber())
            ++nameEnd;
        k = nameEnd;
        const QStringView name = line.sliced(nameStart, nameEnd - nameStart);

        if (closing) {
            // Only the innermost element can be closed; a closing tag that
            // does not match it is ignored.
            if (!m_open.isEmpty() && equalsLowered(name, m_open.constLast()))
                m_open.removeLast();
        } else if (!isVoidElement(name)) {
            // An element opened again moves to the innermost place.
            qsizetype found = m_open.size() - 1;
            while (found >= 0 && !equalsLowered(name, m_open.at(found)))
                --found;
            if (found < 0)
                m_open.append(name.toString().toLower());
            else if (found != m_open.size() - 1)
                m_open.move(found, m_open.size() - 1);
        }
    }
}

QStringList CloseTags::candidates() const
{
    QStringList tags;
    tags.reserve(m_open.size());
    for (const QString &name : m_open)
        tags.append(QLatin1String("</") + name + u'>');
    return tags;
}

QStringList CloseTags::forText(QStringView text, qsizetype position)
{
    CloseTags scanner;
    qsizetype lineStart = 0;
    while (lineStart <= position) {
        qsizetype end = text.indexOf(u'\n', lineStart);
        if (end < 0)
            end = text.size();
        scanner.addLine(text.sliced(lineStart, end - lineStart));
        if (end >= text.size())
            break;
        lineStart = end + 1;
    }
    return scanner.candidates();
}
