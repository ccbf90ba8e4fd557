#include "highlight/linesplitter.h"

#include "highlight/htmlscanner.h"
#include "highlight/piecescanner.h"
#include "highlight/syntaxhighlighter.h"

#include <algorithm>

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

bool isTagState(HtmlScanner::ScanState state)
{
    return state == HtmlScanner::InTag || state == HtmlScanner::InAttrString
        || state == HtmlScanner::AttrStringOpen;
}

bool isAsciiAlnum(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

// A character a cut inside a body may stand beside: the body's scanner looks
// for ASCII punctuation only, and blanks at a piece start would be skipped.
// Japanese text has no ASCII letters, but every character of it will do.
bool isCutNeighbour(QChar c)
{
    return isAsciiAlnum(c)
        || (c.unicode() >= 0x80 && !c.isSpace() && !c.isMark() && !c.isSurrogate());
}

// Never inside a surrogate pair or between CR and LF.
bool isCharBoundary(const QString &line, int at)
{
    const QChar before = line.at(at - 1), after = line.at(at);
    return !(before.isHighSurrogate() && after.isLowSurrogate())
        && !(before == u'\r' && after == u'\n');
}

// The place at most `highest` and nearest to it where `accept` holds,
// searching down to `lowest`. Where there is none there (the piece was
// already too long where this token begins), the first one behind `highest`
// before `end`: a piece somewhat too long is better than the rest of the
// line as one. That one is taken only before `lastPlace`, some way before
// the line's end: a short tail is not worth a piece of its own.
template <typename Accept>
int findPlace(int lowest, int highest, int end, int lastPlace, Accept accept)
{
    for (int at = highest; at >= lowest; --at) {
        if (accept(at))
            return at;
    }
    for (int at = std::max(highest + 1, lowest); at < std::min(end, lastPlace); ++at) {
        if (accept(at))
            return at;
    }
    return -1;
}

// "<?php", "<?=", "<?" and "?>" open and close PHP anywhere in a page, also
// in a tag or its values: a cut inside one would lose it.
bool insidePhpMark(const QString &line, int at)
{
    const QStringView view(line);
    for (int from = std::max(0, at - 4); from < at; ++from) {
        const QStringView rest = view.mid(from);
        const int length = rest.startsWith(QLatin1String("<?php"), Qt::CaseInsensitive) ? 5
                : rest.startsWith(QLatin1String("<?="))                               ? 3
                : rest.startsWith(QLatin1String("<?")) || rest.startsWith(QLatin1String("?>")) ? 2
                                                                                      : 0;
        if (from + length > at)
            return true;
    }
    return false;
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

// Names up to this long may be keywords, tags or properties: a cut inside a
// name leaves the part before it at least this long.
constexpr int ShortName = 64;

// The token [start, end) of `kind`, scanned in `before`, has no place where
// the state alone lets colouring go on. Cuts that PieceScanner continues
// exactly: inside a `//` comment, before a letter of a long name, inside an
// attribute value or a run of punctuation in a tag. Not in script or style
// tags, whose names decide what follows them: those stay whole. Answers -1
// where there is no such place.
int forcedCut(const QString &line, const HtmlScanner &scanner, HtmlScanner::ScanToken kind,
              HtmlScanner::ScanState before, int start, int end, int pieceStart, int limit)
{
    const int highest = std::min(end - 1, pieceStart + limit);
    const auto search = [&](int lowest, auto accept) {
        return findPlace(std::max(lowest, pieceStart + 1), highest, end,
                         int(line.size()) - limit, [&](int at) {
            return isCharBoundary(line, at) && !insidePhpMark(line, at)
                && accept(line.at(at), line.at(at - 1));
        });
    };
    const int inside = std::max(start, pieceStart) + 1;

    if (kind == HtmlScanner::Comment && before == HtmlScanner::Script
        && QStringView(line).mid(start).startsWith(QLatin1String("//")))
        // Blanks at a piece start are skipped, not comment.
        return search(std::max(inside, start + 2), [](QChar c, QChar) { return !c.isSpace(); });

    if (isTagState(before)) {
        const QString name = scanner.tagName();
        if (name.isEmpty() || name == QLatin1String("script") || name == QLatin1String("style"))
            return -1;
    }
    if ((kind == HtmlScanner::Ident || kind == HtmlScanner::ScriptText)
        && (before == HtmlScanner::Script || before == HtmlScanner::Style
            || before == HtmlScanner::InTag || before == HtmlScanner::PhpCode)
        && line.at(start).isLetter()) {
        const int lowest = start >= pieceStart ? std::max(inside, start + ShortName) : inside;
        return search(lowest, [](QChar c, QChar) { return c.isLetter(); });
    }
    if (kind == HtmlScanner::String && isTagState(before)) {
        return search(inside, [](QChar c, QChar previous) {
            return !c.isSpace() && c != u'"' && previous != u'\\';
        });
    }
    if (kind == HtmlScanner::TagPunct && before == HtmlScanner::InTag) {
        return search(inside, [](QChar c, QChar) {
            return !c.isLetter() && !c.isSurrogate() && !c.isSpace() && c != u'"' && c != u'>';
        });
    }
    return -1;
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
    int afterToken = -1;  // where a token starts right behind another
    int previousEnd = 0;
    QStringView previous;
    bool previousPhpComment = false;
    const auto cut = [&](int at) {
        result.append(at);
        pieceStart = at;
        for (int *place : {&afterPunct, &afterBlank, &afterToken}) {
            if (*place <= at)
                *place = -1;
        }
    };

    for (;;) {
        const HtmlScanner::ScanState before = scanner.state();
        const bool freeBefore = !scanner.hasLineContext();
        const HtmlScanner::ScanToken kind = scanner.nextToken();
        if (kind == HtmlScanner::End)
            break;
        const int start = scanner.tokenStart();
        const int end = start + scanner.tokenLength();
        // What the scanner keeps only for this line must not matter where
        // a piece begins, before the token, inside it or behind it; in a tag
        // PieceScanner hands the tag's name on.
        const bool contextFree = freeBefore && !scanner.hasLineContext();
        const bool forcible = contextFree || isTagState(before);

        // A fresh line in script takes a '/' for a regular expression, so a
        // cut before a token is exact only where the token before would say
        // the same. In a style sheet a name is a property only with its ':'
        // right behind it.
        if (start > pieceStart && contextFree && isResting(before)
            && (before != HtmlScanner::Script || HtmlScanner::isRegExpContext(previous))) {
            if (start > previousEnd)
                afterBlank = start;
            // A PHP line comment ends before "?>" only on its own line.
            else if (!(HtmlScanner::isStyleState(before) && line.at(start) == u':')
                     && !previousPhpComment)
                afterToken = start;
        }

        while (end - pieceStart > limit) {
            if (afterPunct > pieceStart) {
                cut(afterPunct);
                continue;
            }
            if (afterBlank > pieceStart) {
                cut(afterBlank);
                continue;
            }
            // The token behind a script comment asks whether the comment
            // reads like an operator; its last piece must answer as the
            // whole comment does, and a piece that starts with a letter (or
            // any other word character) says no.
            if (contextFree && isBody(kind, before, QStringView(line).mid(start, end - start))
                && !(before == HtmlScanner::ScriptComment
                     && HtmlScanner::isRegExpContext(QStringView(line).mid(start, end - start)))) {
                const int at = findPlace(std::max(start, pieceStart) + 1,
                                         std::min(end - 1, pieceStart + limit), end,
                                         int(line.size()) - limit, [&](int at) {
                                             return isCutNeighbour(line.at(at - 1))
                                                 && isCutNeighbour(line.at(at));
                                         });
                if (at > 0) {
                    cut(at);
                    continue;
                }
            }
            if (afterToken > pieceStart) {
                cut(afterToken);
                continue;
            }
            const int at = forcible
                    ? forcedCut(line, scanner, kind, before, start, end, pieceStart, limit)
                    : -1;
            if (at <= pieceStart)
                break;
            cut(at);
        }

        // An empty token (the string body between two quotes) ends nothing.
        const QChar last = end > start ? line.at(end - 1) : QChar();
        if ((last == u'>' || last == u';' || last == u'}' || last == u',')
            && isResting(scanner.state()) && !scanner.hasLineContext() && end < line.size()
            // A PHP line comment stops before "?>"; a piece ending there
            // would leave it open.
            && !(kind == HtmlScanner::Comment && HtmlScanner::isPhpState(before)))
            afterPunct = end;
        previousEnd = end;
        previous = QStringView(line).mid(start, end - start);
        previousPhpComment = kind == HtmlScanner::Comment && HtmlScanner::isPhpState(before);
    }
    return result;
}

LineCutRules LineSplitter::cutRules()
{
    LineCutRules rules;
    rules.startState = [](const QString &path) { return int(SyntaxHighlighter::startStateFor(path)); };
    rules.endState = [](QStringView line, int state) {
        HtmlScanner scanner(nullptr, line.toString(), state);
        while (scanner.nextToken() != HtmlScanner::End) {
        }
        return int(scanner.state());
    };
    rules.breaks = &LineSplitter::breaks;
    rules.lineState = &PieceScanner::lineState;
    return rules;
}
