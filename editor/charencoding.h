#pragma once

#include <QtGlobal>

// The encoding a document is read and written in. The numeric values are
// stored in actions' data and must not change.
enum CharEncoding : quint8 {
    NoEncoding = 0,
    ShiftJIS = 1,
    EucJP = 2,
    UTF8 = 3,
    UTF16LE = 4,
    UTF16BE = 5,
};

// Codec name of an encoding ("Shift-JIS", "EUC-JP", "UTF-8", "UTF-16LE",
// "UTF-16BE"), or nullptr for NoEncoding and anything out of range. Only the
// low 8 bits of the argument count.
const char *encodingName(int encoding);
