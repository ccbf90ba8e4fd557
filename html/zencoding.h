#pragma once

#include <QCoreApplication>
#include <QString>

// Expansion of Zen-Coding abbreviations into indented HTML. Everything here is
// a pure function of its arguments so that the view only has to find the
// abbreviation, replace it with the markup and place the cursor.
//
// Grammar: parts joined by '>' (each one a child level of the one before),
// items joined by '+' (siblings), "name#id.class*n" items, "$" numbered per
// level, and the skeleton parts "ul+", "ol+", "dl+" and "table+".
class ZenCoding
{
    Q_DECLARE_TR_FUNCTIONS(ZenCoding)
public:
    // Generated markup larger than this (in characters, alignment included)
    // is refused: repeat counts multiply, so a short abbreviation could
    // otherwise ask for gigabytes.
    static constexpr qsizetype MaxMarkupSize = 1024 * 1024;

    // Replaces `abbreviation` by its markup. `prefix` is the alignment of the
    // abbreviation's line (blanks and TABs as wide as the text before the
    // abbreviation); it is put after every line feed of the markup. On
    // return `lines` is the line of the markup the cursor goes to (0 being
    // the abbreviation's own line) and `column` the column on that line
    // (counted from the abbreviation's start on line 0). Returns false,
    // leaving all three arguments unchanged, when the markup would exceed
    // MaxMarkupSize.
    static bool expandAbbreviation(const QString &prefix, QString &abbreviation,
                                   int &lines, int &column);

    // Removes a trailing "*n" from `item` and returns n; returns 1 and leaves
    // the item alone when it has no repeat (a bare "*3" or "li*" is literal).
    static int splitRepeat(QString &item);

    // The text between '<' and '>' of the item's opening tag; reduces `item`
    // to its element name. `adjust` becomes -2 for an "a" element, whose
    // cursor goes between the quotes of href="", and 0 otherwise.
    static QString openTag(QString &item, int &adjust);

    // Inline elements keep their content on the line of their tags.
    static bool isInline(const QString &name);

    // Finds the abbreviation that ends at column `end` of `line`: it starts
    // after the last blank or TAB before `end`. Returns false when there is
    // none (the cursor is at the line start or right after white space);
    // otherwise sets `start` and the alignment `prefix` (the text before the
    // abbreviation with everything but blanks and TABs turned into blanks).
    static bool findAbbreviation(const QString &line, int end, int &start, QString &prefix);

    // The status text shown when an abbreviation is refused as too large.
    static QString tooLargeMessage();
};
