#pragma once

#include "editor/linecutrules.h"

#include <QList>
#include <QString>

// Where a very long line (a minified script or style sheet) is cut into
// pieces that the editor shows as separate blocks.
//
// Every cut lies where the line's colouring can go on in the next piece from
// the state the piece before ends in, exactly as if the line went on: after
// a '>', ';', '}' or ',' that leaves the scanner in page text, script, a
// style sheet or PHP code; else after blanks; else, inside a long string,
// comment (line comments included: a piece goes on in them) or text run,
// between two letters or digits (any non-ASCII character that is no blank
// counts, so Japanese text is cut anywhere); else between two tokens. Never
// where the scanner remembers something only for the line (nested in a
// template literal), except in a tag as below.
// Where none of these is in reach the line is cut anyway, at a character
// boundary inside a `//` comment, a long name, an attribute value or a tag,
// and PieceScanner colours the piece behind from what the piece before
// hands on. Script and style tags and runs of punctuation in strings and
// comments stay whole.
class LineSplitter
{
public:
    // Offsets into `line` at which the pieces after the first begin; empty
    // when the line is not longer than `limit`. Pieces are at most `limit`
    // characters long wherever the line allows it.
    static QList<int> breaks(const QString &line, int startState, int limit);
    // These cuts with the scanner states they are made from, for the views
    // that colour with this scanner.
    static LineCutRules cutRules();
};
