#pragma once

#include <QColor>
#include <array>

// The colours the highlighter paints with: one foreground per kind of
// coloured token and one background for all of them. A small value, built
// by whoever owns the settings, so that the highlighter needs nothing else.
struct HighlightPalette {
    enum Kind {
        Comment,
        Tag,
        TagIdent,
        String,
        RegExp,
        EscapedChar,
        QuoteChar,
        Entity,
        ScriptText,
        ScriptKeyword,
        CssProp,
        CssSelector,
        CssAtRule,
        CssValue,
        CssNumber,
        CssImportant,
        PhpVariable,
        KindCount
    };

    std::array<QColor, KindCount> foreground;
    QColor background;

    bool operator==(const HighlightPalette &) const = default;
};
