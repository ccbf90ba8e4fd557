#include "editor/fileformat.h"

const char *lineEndName(LineEnd lineEnd)
{
    switch (lineEnd) {
    case LineEnd::CRLF: return "CRLF";
    case LineEnd::CR: return "CR";
    case LineEnd::LF: break;
    }
    return "LF";
}

bool canHaveByteOrderMark(CharEncoding encoding)
{
    return encoding == UTF8 || encoding == UTF16LE || encoding == UTF16BE;
}

LineEnd LineEndCount::dominant() const
{
    if (crlf > lf && crlf >= cr)
        return LineEnd::CRLF;
    if (cr > lf && cr > crlf)
        return LineEnd::CR;
    return LineEnd::LF;
}

LineEndCount toDocumentText(QString &text, bool *ambiguous)
{
    LineEndCount count;
    const bool hasCr = text.contains(QLatin1Char('\r'));
    const bool hasSeparator = text.contains(QChar::ParagraphSeparator);
    if (ambiguous)
        *ambiguous = hasSeparator && text.contains(QChar(ParagraphSeparatorStandIn));
    if (!hasCr && !hasSeparator) {
        // The common case stays a fast, non-copying scan.
        count.lf = text.count(QLatin1Char('\n'));
        return count;
    }
    QChar *out = text.data();
    const QChar *in = out;
    const QChar *end = in + text.size();
    QChar *write = out;
    for (; in < end; ++in) {
        const char16_t c = in->unicode();
        if (c == u'\r') {
            if (in + 1 < end && in[1] == QLatin1Char('\n')) {
                ++in;
                ++count.crlf;
            } else {
                ++count.cr;
            }
            *write++ = QLatin1Char('\n');
        } else {
            if (c == u'\n')
                ++count.lf;
            *write++ = c == QChar::ParagraphSeparator ? QChar(ParagraphSeparatorStandIn) : *in;
        }
    }
    text.truncate(write - out);
    return count;
}

QString toFileText(QString text, LineEnd lineEnd)
{
    text.replace(QChar(ParagraphSeparatorStandIn), QChar::ParagraphSeparator);
    switch (lineEnd) {
    case LineEnd::CRLF:
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        break;
    case LineEnd::CR:
        text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
        break;
    case LineEnd::LF:
        break;
    }
    return text;
}
