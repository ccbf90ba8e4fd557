#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Where a very long line may be cut into pieces so that its colouring stays
// as it would be on the whole line. The places depend on the scanner that
// colours, which builds on the editor core; the view that colours hands the
// core these operations of it. Without them no line is cut.
struct LineCutRules {
    // The state the scanner starts a file in, by the file's path.
    int (*startState)(const QString &path) = nullptr;
    // The state a line that starts in `state` ends in.
    int (*endState)(QStringView line, int state) = nullptr;
    // Offsets into `line` at which the pieces after the first begin; empty
    // when the line is not longer than `limit`.
    QList<int> (*breaks)(const QString &line, int startState, int limit) = nullptr;
    // The state a new line starts in, from the value the colouring stored
    // on the block before (which may carry what only a piece goes on with).
    int (*lineState)(int stored) = nullptr;

    bool isValid() const { return startState && endState && breaks && lineState; }
};
