#pragma once

#include <QSet>
#include <QString>

class QTextDocument;

// The text questions vi commands ask of a document: where words, brackets,
// quotes, paragraphs and elements begin and end. Plain functions of a
// document and a position, so that they can be tested without a view.
// Positions are document positions; a line is a block.
namespace ViText {

// A stretch of text, `end` exclusive; invalid when start < 0.
struct Span {
    int start = -1;
    int end = -1;
    bool isValid() const { return start >= 0 && end >= start; }
};

// Word classes: blanks and line ends 0, punctuation 1, letters and digits 2,
// and the Japanese scripts apart (hiragana, katakana, kanji, their
// punctuation), so that `w` stops where the script changes as a Japanese
// reader would expect. With `bigWord` everything not blank is one class.
int charClass(QChar c, bool bigWord);

// Start of the n-th next word (`w`, `W`); an empty line counts as a word.
// At the last word the result is the document's end.
int nextWordStart(const QTextDocument *doc, int pos, int n, bool bigWord);
// End (last character) of the n-th next word (`e`, `E`).
int nextWordEnd(const QTextDocument *doc, int pos, int n, bool bigWord);
// Start of the n-th previous word (`b`, `B`).
int previousWordStart(const QTextDocument *doc, int pos, int n, bool bigWord);
// The last character of the word the cursor is in, then of further words:
// what `cw` changes (it keeps the blanks after the word).
int wordEndForChange(const QTextDocument *doc, int pos, int n, bool bigWord);

// The n-th paragraph boundary (empty line) after or before the cursor's line;
// the document's end or start when there is none.
int paragraphBoundary(const QTextDocument *doc, int pos, int n, bool forward);

// Text objects. `around` includes the blanks after (or else before) a word,
// the quotes, the brackets or the tags.
Span wordObject(const QTextDocument *doc, int pos, int n, bool bigWord, bool around);
// Quotes are looked for in the cursor's line only, as they pair up there.
Span quoteObject(const QTextDocument *doc, int pos, QChar quote, bool around);
// The n-th enclosing pair of `open` and `close`, across lines.
Span bracketObject(const QTextDocument *doc, int pos, QChar open, QChar close, int n, bool around);
// The n-th element enclosing pos, found with the HTML scanner; void and
// self-closed elements never enclose anything.
Span tagObject(const QTextDocument *doc, int pos, int n, bool around,
               const QSet<QString> *scriptKeywords = nullptr);

} // namespace ViText
