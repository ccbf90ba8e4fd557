#include "highlight/linesplitter.h"

#include "highlight/htmlscanner.h"

namespace {

bool isResting(HtmlScanner::ScanState state)
{
    return state == HtmlScanner::Html || state == HtmlScanner::Script
        || state == HtmlScanner::Style;
}

bool isAsciiAlnum(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

// Whether the body of a token of `kind`, scanned in `before`, may be cut:
// the scanner of such a body looks only for its own terminator. Attribute
// values are left alone, since the tag around them decides whether script
// or style follows and a new line would forget which tag it was.
bool isBody(HtmlScanner::ScanToken kind, HtmlScanner::ScanState before)
{
    switch (kind) {
    case HtmlScanner::String:
        return before == HtmlScanner::DqString || before == HtmlScanner::SqString;
    case HtmlScanner::RegExp:
        return before == HtmlScanner::RegExpLiteral;
    case HtmlScanner::Comment:
        return before == HtmlScanner::HtmlComment || before == HtmlScanner::ScriptComment;
    case HtmlScanner::TextRun:
        return before == HtmlScanner::Html;
    default:
        return false;
    }
}

} // namespace

QList<int> LineSplitter::breaks(const QString &line, int startState, int limit)
{
    QList<int> result;
    if (limit < 2 || line.size() <= limit)
        return result;

    HtmlScanner scanner(nullptr, line, startState);
    int pieceStart = 0;
    int afterPunct = -1;  // best cut: behind one of > ; } ,
    int afterBlank = -1;  // next best: where a token starts behind blanks
    int previousEnd = 0;
    QStringView previous;
    const auto cut = [&](int at) {
        result.append(at);
        pieceStart = at;
        if (afterPunct <= at)
            afterPunct = -1;
        if (afterBlank <= at)
            afterBlank = -1;
    };

    for (;;) {
        const HtmlScanner::ScanState before = scanner.state();
        const HtmlScanner::ScanToken kind = scanner.nextToken();
        if (kind == HtmlScanner::End)
            break;
        const int start = scanner.tokenStart();
        const int end = start + scanner.tokenLength();

        // A fresh line in script takes a '/' for a regular expression, so a
        // cut before a token is exact only where the token before would say
        // the same.
        if (start > previousEnd && start > pieceStart && isResting(before)
            && (before != HtmlScanner::Script || HtmlScanner::isRegExpContext(previous)))
            afterBlank = start;

        while (end - pieceStart > limit) {
            if (afterPunct > pieceStart) {
                cut(afterPunct);
            } else if (afterBlank > pieceStart) {
                cut(afterBlank);
            } else if (isBody(kind, before)
                       // The token behind a script comment asks whether the
                       // comment reads like an operator; its last piece must
                       // answer as the whole comment does, and a piece that
                       // starts with a letter says no.
                       && !(before == HtmlScanner::ScriptComment
                            && HtmlScanner::isRegExpContext(
                                    QStringView(line).mid(start, end - start)))) {
                int at = std::min(end - 1, pieceStart + limit);
                const int lowest = std::max(start, pieceStart) + 1;
                while (at >= lowest
                       && !(isAsciiAlnum(line.at(at - 1)) && isAsciiAlnum(line.at(at))))
                    --at;
                if (at < lowest)
                    break;
                cut(at);
            } else {
                break;
            }
        }

        // An empty token (the string body between two quotes) ends nothing.
        const QChar last = end > start ? line.at(end - 1) : QChar();
        if ((last == u'>' || last == u';' || last == u'}' || last == u',')
            && isResting(scanner.state()) && end < line.size())
            afterPunct = end;
        previousEnd = end;
        previous = QStringView(line).mid(start, end - start);
    }
    return result;
}
