#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
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

// Guesses the encoding of a file's bytes: byte-order marks, a NUL pattern for
// UTF-16, then a scan of the first 64 KiB that weighs Shift-JIS, EUC-JP and
// UTF-8. Never answers NoEncoding.
CharEncoding detectEncoding(const char *begin, const char *end);
inline CharEncoding detectEncoding(QByteArrayView bytes)
{
    return detectEncoding(bytes.data(), bytes.data() + bytes.size());
}

// The encoding an HTML page or style sheet declares for itself in its first
// 1024 bytes (<meta charset>, <meta http-equiv content>, a leading @charset),
// when it is one of ours; NoEncoding otherwise.
CharEncoding declaredEncoding(const char *begin, const char *end);

// Maps an encoding label as written in a page ("utf-8", "Shift_JIS", "sjis",
// "x-euc-jp", ...) to our encoding; NoEncoding when it is none of ours.
// UTF-16 labels answer UTF8: a declaration that can be read at all was
// written in an ASCII-compatible encoding, so it cannot be true.
CharEncoding encodingForLabel(QByteArrayView label);

struct DecodedText
{
    QString text;
    CharEncoding encoding = NoEncoding;
    bool hadErrors = false;  // some bytes were not valid and were replaced
};

// Detects the encoding and decodes; a leading byte-order mark is dropped.
DecodedText decodeBytes(const QByteArray &bytes);
// Decodes in the given encoding (NoEncoding: the system encoding).
DecodedText decodeBytes(const QByteArray &bytes, CharEncoding encoding);

struct EncodedText
{
    QByteArray bytes;
    bool lossy = false;  // some characters have no code in the encoding
};

// UTF-16 gets a byte-order mark, UTF-8 none, the others need none.
EncodedText encodeText(const QString &text, CharEncoding encoding);
