#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The lines of one keyword file of the settings folder, and the completion
// candidates drawn from them. A plain value: completion reads the files anew
// at every command, so nothing is kept between two commands.
//
// tags.txt holds tag lines (beginning with a letter: name, TAB, description)
// each followed by its attribute lines (beginning with a TAB or a blank:
// attribute text, TAB, description). css.txt and htmlSpecialChars.txt are
// one candidate a line.
class KeywordList
{
public:
    KeywordList() = default;
    explicit KeywordList(const QStringList &lines) : m_lines(lines) {}

    // Splits at line feeds, keeping empty lines. A carriage return ending a
    // line is dropped: inserted into a document it would break the line.
    static KeywordList fromText(const QString &text);
    // The file decoded as UTF-8; `ok` (if given) tells whether it could be
    // read. A missing file gives an empty list.
    static KeywordList fromFile(const QString &path, bool *ok = nullptr);

    const QStringList &lines() const { return m_lines; }
    bool isEmpty() const { return m_lines.isEmpty(); }

    // Every tag line: the name lower-cased, then TAB and the trimmed
    // description when there is one. File order, duplicates kept.
    QStringList tags() const;
    // The attribute lines of the first tag line named `tag` (compared in lower
    // case), formed like tags(). An empty or unknown tag has none.
    QStringList attributes(const QString &tag) const;

    // Used when htmlSpecialChars.txt cannot be read.
    static QStringList charRefFallback();

    // Characters that make up a word for completion: letters and digits
    // below U+0100, and '_'.
    static bool isWordChar(QChar c);

    // The words of `text` that begin with `prefix` (occurrences inside a word
    // do not count). Words before `from` come first, ordered by their last
    // use, so the one nearest before `from` is last; `row` is set to its
    // index, or -1 when no word precedes `from`. Words after `from` follow in
    // the order of their first use. The occurrence at `from` itself is the
    // word being completed and is left out.
    static QStringList documentWords(QStringView text, const QString &prefix,
                                     qsizetype from, int &row);

private:
    QStringList m_lines;
};
