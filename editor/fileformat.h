#pragma once

#include "editor/charencoding.h"

#include <QString>
#include <QtGlobal>

// The line-end style a file is written with. The values are stored in the
// recovery journal and in actions' data and must not change.
enum class LineEnd : quint8 { LF = 0, CRLF = 1, CR = 2 };

// "LF", "CRLF", "CR".
const char *lineEndName(LineEnd lineEnd);

// What a file was read as; kept by its view and handed whole to the writer,
// so that a file opened and saved unchanged comes back byte for byte.
struct FileFormat
{
    CharEncoding encoding = UTF8;
    bool byteOrderMark = false;
    LineEnd lineEnd = LineEnd::LF;
    EncodingSource source = EncodingSource::NotRead;

    friend bool operator==(const FileFormat &, const FileFormat &) = default;
};

// Whether an encoding has a byte-order mark to write at all.
bool canHaveByteOrderMark(CharEncoding encoding);

// The line ends a file's text had before they were made uniform.
struct LineEndCount
{
    qsizetype lf = 0;
    qsizetype crlf = 0;
    qsizetype cr = 0;

    // The most frequent style; LF for a text without line ends and on a tie
    // with LF, CRLF before CR.
    LineEnd dominant() const;
    bool mixed() const { return (lf > 0) + (crlf > 0) + (cr > 0) > 1; }
};

// The document keeps every line end as '\n'. A U+2029 of the file would
// become a line break of the document and be saved as one, so it is held as
// this noncharacter, which text interchange never uses (U+FDD0 and U+FDD1
// mark frames inside QTextDocument).
inline constexpr char16_t ParagraphSeparatorStandIn = 0xFDEF;

// Turns a file's text into the document's form in place: CR LF and lone CR
// become '\n', U+2029 the stand-in. Counts what it found. `ambiguous` is set
// when the text already held the stand-in next to a U+2029, so that saving
// cannot tell them apart.
LineEndCount toDocumentText(QString &text, bool *ambiguous = nullptr);

// The inverse: '\n' in the given style, the stand-in back to U+2029.
QString toFileText(QString text, LineEnd lineEnd);
