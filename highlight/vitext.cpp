#include "highlight/vitext.h"

#include "highlight/htmlscanner.h"

#include <QList>
#include <QTextBlock>
#include <QTextDocument>

namespace {

constexpr QChar Separator = QChar::ParagraphSeparator;

int endOf(const QTextDocument *doc)
{
    return doc->characterCount() - 1;
}

QChar at(const QTextDocument *doc, int pos)
{
    return doc->characterAt(pos);
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x3000);
}

} // namespace

int ViText::charClass(QChar c, bool bigWord)
{
    if (c == Separator || c.isSpace())
        return 0;
    if (bigWord)
        return 1;
    const char16_t u = c.unicode();
    if (u < 0x100)
        return c.isLetterOrNumber() || c == QLatin1Char('_') ? 2 : 1;
    if (u >= 0x3040 && u <= 0x309f)
        return 3;
    if ((u >= 0x30a0 && u <= 0x30ff) || (u >= 0xff66 && u <= 0xff9f))
        return 4;
    if ((u >= 0x3400 && u <= 0x9fff) || (u >= 0xf900 && u <= 0xfaff) || u == 0x3005)
        return 5;
    if ((u >= 0x3000 && u <= 0x303f) || (u >= 0xff01 && u <= 0xff0f) || (u >= 0xff1a && u <= 0xff20))
        return 6;
    return c.isLetterOrNumber() ? 2 : 1;
}

int ViText::nextWordStart(const QTextDocument *doc, int pos, int n, bool bigWord)
{
    const int end = endOf(doc);
    int p = pos;
    for (int i = 0; i < n && p < end; ++i) {
        const int cls = charClass(at(doc, p), bigWord);
        if (cls != 0)
            while (p < end && charClass(at(doc, p), bigWord) == cls)
                ++p;
        while (p < end) {
            const QChar c = at(doc, p);
            if (c == Separator) {
                ++p;
                // An empty line is a word of its own.
                if (p < end && at(doc, p) == Separator)
                    break;
                continue;
            }
            if (charClass(c, bigWord) != 0)
                break;
            ++p;
        }
    }
    return p;
}

int ViText::nextWordEnd(const QTextDocument *doc, int pos, int n, bool bigWord)
{
    const int end = endOf(doc);
    int p = pos;
    for (int i = 0; i < n; ++i) {
        int q = p + 1;
        while (q < end && charClass(at(doc, q), bigWord) == 0)
            ++q;
        if (q >= end)
            break;
        const int cls = charClass(at(doc, q), bigWord);
        while (q + 1 < end && charClass(at(doc, q + 1), bigWord) == cls)
            ++q;
        p = q;
    }
    return p;
}

int ViText::previousWordStart(const QTextDocument *doc, int pos, int n, bool bigWord)
{
    int p = pos;
    for (int i = 0; i < n && p > 0; ++i) {
        --p;
        while (p > 0) {
            const QChar c = at(doc, p);
            if (c == Separator) {
                if (at(doc, p - 1) == Separator)
                    break;  // an empty line
                --p;
                continue;
            }
            if (charClass(c, bigWord) != 0)
                break;
            --p;
        }
        const int cls = charClass(at(doc, p), bigWord);
        if (cls == 0)
            continue;
        while (p > 0 && charClass(at(doc, p - 1), bigWord) == cls)
            --p;
    }
    return p;
}

int ViText::wordEndForChange(const QTextDocument *doc, int pos, int n, bool bigWord)
{
    const int end = endOf(doc);
    int p = pos;
    for (int i = 0; i < n; ++i) {
        const int cls = charClass(at(doc, p), bigWord);
        if (i == 0 && cls != 0) {
            while (p + 1 < end && charClass(at(doc, p + 1), bigWord) == cls)
                ++p;
        } else {
            p = nextWordEnd(doc, p, 1, bigWord);
        }
    }
    return p;
}

int ViText::paragraphBoundary(const QTextDocument *doc, int pos, int n, bool forward)
{
    QTextBlock b = doc->findBlock(pos);
    const auto empty = [](const QTextBlock &block) { return block.length() == 1; };
    for (int i = 0; i < n; ++i) {
        b = forward ? b.next() : b.previous();
        while (b.isValid() && empty(b))
            b = forward ? b.next() : b.previous();
        while (b.isValid() && !empty(b))
            b = forward ? b.next() : b.previous();
        if (!b.isValid())
            return forward ? endOf(doc) : 0;
    }
    return b.position();
}

ViText::Span ViText::wordObject(const QTextDocument *doc, int pos, int n, bool bigWord, bool around)
{
    const QTextBlock block = doc->findBlock(pos);
    const QString text = block.text();
    const int len = int(text.size());
    const int c = pos - block.position();
    if (len == 0 || c >= len)
        return {pos, pos};
    const auto cls = [&](int i) { return charClass(text.at(i), bigWord); };
    const int startClass = cls(c);
    int start = c;
    while (start > 0 && cls(start - 1) == startClass)
        --start;
    int end = c + 1;
    const auto runFrom = [&](int from) {
        const int k = cls(from);
        while (from < len && cls(from) == k)
            ++from;
        return from;
    };
    end = runFrom(start);
    for (int i = 1; i < n && end < len; ++i) {
        if (around && cls(end) == 0)
            end = runFrom(end);
        if (end < len)
            end = runFrom(end);
    }
    if (around) {
        if (startClass == 0) {
            if (end < len)
                end = runFrom(end);
        } else if (end < len && cls(end) == 0) {
            end = runFrom(end);
        } else {
            while (start > 0 && cls(start - 1) == 0)
                --start;
        }
    }
    return {block.position() + start, block.position() + end};
}

ViText::Span ViText::quoteObject(const QTextDocument *doc, int pos, QChar quote, bool around)
{
    const QTextBlock block = doc->findBlock(pos);
    const QString text = block.text();
    const int c = pos - block.position();
    QList<int> quotes;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (text.at(i) == quote)
            quotes.append(i);
    }
    int open = -1;
    int close = -1;
    for (int i = 0; i + 1 < quotes.size(); i += 2) {
        if ((quotes[i] <= c && c <= quotes[i + 1]) || c < quotes[i]) {
            open = quotes[i];
            close = quotes[i + 1];
            break;
        }
    }
    if (open < 0)
        return {};
    int start = open + 1;
    int end = close;
    if (around) {
        start = open;
        end = close + 1;
        if (end < text.size() && isBlank(text.at(end))) {
            while (end < text.size() && isBlank(text.at(end)))
                ++end;
        } else {
            while (start > 0 && isBlank(text.at(start - 1)))
                --start;
        }
    }
    return {block.position() + start, block.position() + end};
}

ViText::Span ViText::bracketObject(const QTextDocument *doc, int pos, QChar open, QChar close, int n,
                                   bool around)
{
    // Walks block texts rather than single characters: far cheaper on
    // long documents.
    QTextBlock block = doc->findBlock(pos);
    if (!block.isValid())
        return {};
    int need = n;
    int openPos = -1;
    QString text = block.text();
    int i = pos - block.position();
    if (i < text.size() && text.at(i) == open) {
        openPos = pos;
        --need;
    }
    int depth = 0;
    --i;
    while (need > 0) {
        while (i < 0) {
            block = block.previous();
            if (!block.isValid())
                return {};
            text = block.text();
            i = int(text.size()) - 1;
        }
        const QChar c = text.at(i);
        if (c == close) {
            ++depth;
        } else if (c == open) {
            if (depth == 0) {
                openPos = block.position() + i;
                --need;
            } else {
                --depth;
            }
        }
        --i;
    }
    block = doc->findBlock(openPos);
    text = block.text();
    i = openPos - block.position() + 1;
    depth = 0;
    for (;;) {
        while (i >= text.size()) {
            block = block.next();
            if (!block.isValid())
                return {};
            text = block.text();
            i = 0;
        }
        const QChar c = text.at(i);
        if (c == open) {
            ++depth;
        } else if (c == close) {
            if (depth == 0)
                break;
            --depth;
        }
        ++i;
    }
    const int closePos = block.position() + i;
    if (around)
        return {openPos, closePos + 1};
    return {openPos + 1, closePos};
}

namespace {

struct Tag {
    int start = 0;
    int end = 0;
    QString name;
    bool closing = false;
    bool selfClosed = false;
};

bool isVoidElement(const QString &name)
{
    static const QSet<QString> names = {
        QStringLiteral("area"), QStringLiteral("base"), QStringLiteral("br"), QStringLiteral("col"),
        QStringLiteral("embed"), QStringLiteral("hr"), QStringLiteral("img"), QStringLiteral("input"),
        QStringLiteral("link"), QStringLiteral("meta"), QStringLiteral("param"),
        QStringLiteral("source"), QStringLiteral("track"), QStringLiteral("wbr"),
    };
    return names.contains(name) || name.isEmpty() || !name.at(0).isLetter();
}

} // namespace

ViText::Span ViText::tagObject(const QTextDocument *doc, int pos, int n, bool around,
                               const QSet<QString> *scriptKeywords)
{
    struct Open {
        Tag tag;
        bool enclosing = false;  // open at pos
    };
    QList<Open> stack;
    int enclosingLeft = -1;  // enclosing elements not closed yet; -1 before pos is reached
    int found = 0;
    Tag current;
    bool inTag = false;
    int state = HtmlScanner::Html;

    const auto snapshot = [&] {
        enclosingLeft = 0;
        for (Open &o : stack) {
            o.enclosing = true;
            ++enclosingLeft;
        }
    };
    const auto finishTag = [&](const Tag &tag) -> Span {
        if (enclosingLeft < 0 && tag.end > pos) {
            if (!tag.closing && tag.start <= pos) {
                if (!tag.selfClosed && !isVoidElement(tag.name))
                    stack.append({tag, false});
                snapshot();
                return {};
            }
            snapshot();
        }
        if (!tag.closing) {
            if (!tag.selfClosed && !isVoidElement(tag.name))
                stack.append({tag, false});
            return {};
        }
        // Elements left open inside (a <p> or <li> without its end tag)
        // close with the element around them.
        for (qsizetype k = stack.size() - 1; k >= 0; --k) {
            if (stack[k].tag.name != tag.name)
                continue;
            const Open o = stack[k];
            for (qsizetype m = stack.size() - 1; m >= k; --m) {
                if (stack[m].enclosing)
                    --enclosingLeft;
            }
            stack.resize(k);
            if (o.enclosing && ++found == n) {
                if (around)
                    return {o.tag.start, tag.end};
                return {o.tag.end, tag.start};
            }
            break;
        }
        return {};
    };

    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        HtmlScanner scanner(scriptKeywords, text, state);
        const int base = block.position();
        for (;;) {
            const int before = scanner.state();
            const HtmlScanner::ScanToken kind = scanner.nextToken();
            if (kind == HtmlScanner::End)
                break;
            const QStringView token = scanner.tokenView();
            if (kind == HtmlScanner::TagPunct && !inTag && token.startsWith(QLatin1Char('<'))
                && before != HtmlScanner::InTag) {
                inTag = true;
                current = Tag();
                current.start = base + scanner.tokenStart();
                current.closing = token.startsWith(QLatin1String("</"));
            } else if (inTag && kind == HtmlScanner::Ident && current.name.isEmpty()) {
                current.name = scanner.tokenText().toLower();
            }
            if (inTag && kind == HtmlScanner::TagPunct && token.endsWith(QLatin1Char('>'))
                && scanner.state() != HtmlScanner::InTag) {
                inTag = false;
                current.end = base + scanner.tokenStart() + scanner.tokenLength();
                current.selfClosed = token.endsWith(QLatin1String("/>"));
                const Span span = finishTag(current);
                if (span.isValid())
                    return span;
                if (enclosingLeft == 0)
                    return {};
            }
        }
        state = scanner.state();
    }
    return {};
}
