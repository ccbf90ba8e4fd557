#include "html/closetags.h"

namespace {

// Elements without content. Offering "</img>" or "</source>" would only
// produce invalid markup, so they are never counted as open.
const char *const voidElements[] = {
    "area", "base", "br", "col", "embed", "hr", "img", "input",
    "link", "meta", "source", "track", "wbr",
};

} // namespace

bool CloseTags::isVoidElement(QStringView name)
{
    for (const char *element : voidElements) {
        if (name.compare(QLatin1String(element), Qt::CaseInsensitive) == 0)
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
        const QString tag = QLatin1String("</") + name.toString().toLower() + u'>';

        if (closing) {
            // Only the innermost element can be closed; a closing tag that
            // does not match it is ignored.
            if (!m_open.isEmpty() && m_open.constLast() == tag)
                m_open.removeLast();
        } else if (!isVoidElement(name)) {
            m_open.removeOne(tag);
            m_open.append(tag);
        }
    }
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
