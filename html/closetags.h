#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The closing tags of the elements still open at a point of a document,
// innermost last. Lines are fed in document order; the line that holds the
// cursor is fed whole. Comments, script and attribute values are not told
// apart: any '<' followed by a letter opens an element.
class CloseTags
{
public:
    // Scans one line (without its line feed).
    void addLine(QStringView line);

    // The open elements as "</name>", each once, ordered by their most recent
    // opening, names in lower case.
    QStringList candidates() const;

    // Elements that never take a closing tag.
    static bool isVoidElement(QStringView name);

    // The candidates for the cursor at `position` of `text` (lines separated
    // by '\n'): every line that starts at or before the position is scanned,
    // the cursor's line up to its end.
    static QStringList forText(QStringView text, qsizetype position);

private:
    QStringList m_open;  // lower-case names, innermost last
};
