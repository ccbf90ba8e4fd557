#pragma once

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
// between two ASCII letters or digits. Never where the scanner remembers
// something only for the line (inside a tag, or nested in a template
// literal). A stretch without any such place is left whole.
class LineSplitter
{
public:
    // Offsets into `line` at which the pieces after the first begin; empty
    // when the line is not longer than `limit`. Pieces are at most `limit`
    // characters long wherever the line allows it.
    static QList<int> breaks(const QString &line, int startState, int limit);
};
