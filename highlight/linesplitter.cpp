#include "highlight/linesplitter.h"

#include "highlight/htmlscanner.h"

namespace {

bool isResting(HtmlScanner::ScanState state)
{
    switch (state) {
    case HtmlScanner::Html:
    case HtmlScanner::Script:
    case HtmlScanner::Style:
    case HtmlScanner::StyleBlock:
    case HtmlScanner::StyleValue:
    case HtmlScanner::StyleAtRule:
    case HtmlScanner::PhpCode:
        return true;
    default:
        return false;
    }
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
//
// A line comment goes on in the next piece (its state lasts to the real
// line's end); a heredoc's closing label is looked for only where a real
// line starts.
bool isBody(HtmlScanner::ScanToken kind, HtmlScanner::ScanState before, QStringView text)
{
    switch (kind) {
    case HtmlScanner::String:
        switch (before) {
        case HtmlScanner::DqString:
        case HtmlScanner::SqString:
        case HtmlScanner::TemplateString:
        case HtmlScanner::StyleDqString:
        case HtmlScanner::StyleSqString:
        case HtmlScanner::PhpDqString:
        case HtmlScanner::PhpSqString:
        case HtmlScanner::PhpHeredoc:
        case HtmlScanner::PhpNowdoc:
            return true;
        default:
            return false;
        }
    case HtmlScanner::RegExp:
        return before == HtmlScanner::RegExpLiteral;
    case HtmlScanner::Comment:
        switch (before) {
        case HtmlScanner::HtmlComment:
        case HtmlScanner::ScriptComment:
        case HtmlScanner::ScriptLineComment:
        case HtmlScanner::StyleComment:
        case HtmlScanner::PhpBlockComment:
        case HtmlScanner::PhpLineComment:
        case HtmlScanner::PhpCode:
            return true;
        case HtmlScanner::Script:
            return text.startsWith(u"//");
        default:
            return false;
        }
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
        // What the scanner keeps only for this line must not matter where
        // a piece begins.
        const bool contextFree = !scanner.hasLineContext();
        const HtmlScanner::ScanToken kind = scanner.nextToken();
        if (kind == HtmlScanner::End)
            break;
        const int start = scanner.tokenStart();
        const int end = start + scanner.tokenLength();

        // A fresh line in script takes a '/' for a regular expression, so a
        // cut before a token is exact only where the token before would say
        // the same.
        if (start > previousEnd && start > pieceStart && contextFree && isResting(before)
            && (before != HtmlScanner::Script || HtmlScanner::isRegExpContext(previous)))
            afterBlank = start;

        while (end - pieceStart > limit) {
            if (afterPunct > pieceStart) {
                cut(afterPunct);
            } else if (afterBlank > pieceStart) {
                cut(afterBlank);
            } else if (contextFree && isBody(kind, before, QStringView(line).mid(start, end - start))
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

        const QChar last = line.at(end - 1);
        if ((last == u'>' || last == u';' || last == u'}' || last == u',')
            && isResting(scanner.state()) && !scanner.hasLineContext() && end < line.size()
            // A PHP line comment stops before "?>"; a piece ending there
            // would leave it open.
            && !(kind == HtmlScanner::Comment && HtmlScanner::isPhpState(before)))
            afterPunct = end;
        previousEnd = end;
        previous = QStringView(line).mid(start, end - start);
    }
    return result;
}
