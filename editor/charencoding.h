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

// How the encoding of a document was arrived at, for the status bar.
enum class EncodingSource : quint8 {
    NotRead = 0,        // a new document, or one whose encoding the user chose
    ByteOrderMark,
    NulPattern,         // UTF-16 told by its zero bytes
    Utf16Text,          // UTF-16 without zero bytes, told by its characters
    Declaration,        // <meta charset>, http-equiv or @charset
    ByteScan,           // the Shift-JIS / EUC-JP / UTF-8 statistics decided
    PlainAscii,         // nothing but ASCII: read as UTF-8
    LineEndGuess,       // nothing decided; the line ends tipped the balance
    Chosen,             // "Reopen with encoding"
};

struct EncodingGuess
{
    CharEncoding encoding;
    EncodingSource source;
};

// Guesses the encoding of a file's bytes: byte-order marks, a NUL pattern for
// UTF-16, then a scan of the first 64 KiB that weighs Shift-JIS, EUC-JP,
// UTF-8 and UTF-16 without zero bytes. Never answers NoEncoding; says how it
// decided.
EncodingGuess guessEncoding(const char *begin, const char *end);
CharEncoding detectEncoding(const char *begin, const char *end);
inline CharEncoding detectEncoding(QByteArrayView bytes)
{
    return detectEncoding(bytes.data(), bytes.data() + bytes.size());
}

// The encoding an HTML page or style sheet declares for itself in its first
// 1024 bytes (<meta charset>, <meta http-equiv content>, a leading @charset),
// when it is one of ours; NoEncoding otherwise.
CharEncoding declaredEncoding(const char *begin, const char *end);

// The same, with where the label stands (byte offsets from begin), so that
// a save in another encoding can rewrite it.
struct Declaration
{
    CharEncoding encoding = NoEncoding;
    qsizetype labelFrom = 0;
    qsizetype labelLength = 0;
};
Declaration findDeclaration(const char *begin, const char *end);

// The label a page should declare for an encoding ("UTF-8", "Shift_JIS",
// "EUC-JP"); nullptr for UTF-16, whose byte-order mark tells a browser.
const char *declarationLabel(CharEncoding encoding);

// Maps an encoding label as written in a page ("utf-8", "Shift_JIS", "sjis",
// "x-euc-jp", ...) to our encoding; NoEncoding when it is none of ours.
// UTF-16 labels answer UTF8: a declaration that can be read at all was
// written in an ASCII-compatible encoding, so it cannot be true.
CharEncoding encodingForLabel(QByteArrayView label);

struct DecodedText
{
    QString text;
    CharEncoding encoding = NoEncoding;
    EncodingSource source {};
    bool byteOrderMark = false;  // the bytes began with the encoding's mark
    bool hadErrors = false;      // some bytes were not valid and were replaced
    // Valid bytes that the encoding writes back differently (duplicate codes
    // of Shift-JIS, some JIS X 0212 codes of EUC-JP).
    bool notRoundTrip = false;
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

// The byte-order mark is written only where asked for and the encoding has one.
EncodedText encodeText(const QString &text, CharEncoding encoding, bool byteOrderMark = false);

// Every character the encoding lacks written as a hexadecimal character
// reference ("&#x1F600;"), which browsers read back as the character.
QString withCharacterReferences(const QString &text, CharEncoding encoding);
