#include "editor/charencoding.h"
#include "testsupport.h"

#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTest>

// Detection, declarations and the decode/encode helpers, without any widget.
class TestCharEncoding : public QObject
{
    Q_OBJECT
private slots:
    void encodingName_data();
    void encodingName();
    void detect_data();
    void detect();
    void encodingLabels_data();
    void encodingLabels();
    void decode_data();
    void decode();
    void everyJapaneseCodeRoundTripsOrIsReported();
    void encode_data();
    void encode();
    void fuzzDetectAndRoundTrip();
};

namespace {

QByteArray fixture(const char *name)
{
    const QByteArray bytes = readFile(QStringLiteral(MOSSGLEN_TEST_DATA "/encoding/") + QLatin1String(name));
    if (bytes.isEmpty())
        qFatal("missing test file %s", name);
    return bytes;
}

QByteArray utf8Bom() { return QByteArray("\xEF\xBB\xBF"); }

QByteArray utf16(const QByteArray &ascii, bool bigEndian)
{
    QByteArray out;
    for (char c : ascii) {
        if (bigEndian)
            out.append('\0').append(c);
        else
            out.append(c).append('\0');
    }
    return out;
}

// The Japanese of the test page without any ASCII: no line ends, no
// blanks, no markup, as in a novel's text file.
QString denseJapanese()
{
    QString dense;
    for (QChar c : QString::fromUtf8(fixture("ja_source.html")))
        if (c.unicode() >= 0x80)
            dense += c;
    return dense;
}

} // namespace

void TestCharEncoding::encodingName_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("none") << 0 << QByteArray();
    QTest::newRow("shift-jis") << 1 << QByteArray("Shift-JIS");
    QTest::newRow("euc-jp") << 2 << QByteArray("EUC-JP");
    QTest::newRow("utf-8") << 3 << QByteArray("UTF-8");
    QTest::newRow("utf-16le") << 4 << QByteArray("UTF-16LE");
    QTest::newRow("utf-16be") << 5 << QByteArray("UTF-16BE");
    QTest::newRow("just past the table") << 6 << QByteArray();
    QTest::newRow("top of the byte") << 255 << QByteArray();
    QTest::newRow("high bits ignored") << 0x103 << QByteArray("UTF-8");
    QTest::newRow("negative, low byte 4") << -252 << QByteArray("UTF-16LE");
}

void TestCharEncoding::encodingName()
{
    QFETCH(int, value);
    QFETCH(QByteArray, name);
    const char *got = ::encodingName(value);
    QCOMPARE(QByteArray(got), name);
    QCOMPARE(got == nullptr, name.isNull());
}

void TestCharEncoding::detect_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("expected");
    // A byte order mark decides.
    const QByteArray sjis = fixture("ja_sjis_lf.html");
    QTest::newRow("utf-8 mark before Shift-JIS bytes") << utf8Bom() + sjis << int(UTF8);
    QTest::newRow("utf-8 mark alone") << utf8Bom() << int(UTF8);
    QTest::newRow("two bytes of a utf-8 mark") << QByteArray("\xEF\xBB") << int(ShiftJIS);
    QTest::newRow("ff fe then text") << QByteArray("\xFF\xFE") + utf16("Hello\n", false) << int(UTF16LE);
    QTest::newRow("ff fe alone") << QByteArray("\xFF\xFE") << int(UTF16LE);
    QTest::newRow("fe ff then text") << QByteArray("\xFE\xFF") + utf16("Hello\n", true) << int(UTF16BE);
    QTest::newRow("ff fe wins over a big-endian NUL pattern")
        << QByteArray("\xFF\xFE") + utf16("Hello", true) << int(UTF16LE);
    QTest::newRow("fe ff then EUC-JP bytes") << QByteArray("\xFE\xFF") + fixture("ja_eucjp_lf.html")
                                             << int(UTF16BE);

    // NUL bytes at every other place mean UTF-16.
    QTest::newRow("ascii as utf-16le") << utf16("abcdefgh\n", false) << int(UTF16LE);
    QTest::newRow("ascii as utf-16be") << utf16("abcdefgh\n", true) << int(UTF16BE);
    QTest::newRow("japanese page utf-16le") << fixture("ja_utf16le_lf.html") << int(UTF16LE);
    QTest::newRow("japanese page utf-16be") << fixture("ja_utf16be_crlf.html") << int(UTF16BE);
    QTest::newRow("one NUL in ascii") << QByteArray("abc\0def\r\nghi\r\n", 14) << int(UTF8);
    QTest::newRow("NULs two apart but not three times")
        << QByteArray("a\0b\0c\0dxyzw\n\n", 13) << int(UTF8);
    QTest::newRow("only NUL bytes") << QByteArray(64, '\0') << int(UTF16BE);
    QTest::newRow("NULs past the end read as zero") << QByteArray("ab\0c\0", 5) << int(UTF16BE);
    QTest::newRow("first qualifying NUL at an odd offset") << QByteArray("x\0y") + QByteArray(8, '\0')
                                                           << int(UTF16LE);
    QTest::newRow("earlier even NULs outvote the odd one that stops")
        << QByteArray("\0abc\0de\0f\0g\0h\0i", 15) << int(UTF16BE);

    // Japanese pages in each encoding.
    QTest::newRow("utf-8 lf") << fixture("ja_utf8_lf.html") << int(UTF8);
    QTest::newRow("utf-8 crlf") << fixture("ja_utf8_crlf.html") << int(UTF8);
    QTest::newRow("utf-8 with four-byte sequences") << fixture("ja_utf8_4byte.html") << int(UTF8);
    QTest::newRow("shift-jis lf") << fixture("ja_sjis_lf.html") << int(ShiftJIS);
    QTest::newRow("shift-jis crlf") << fixture("ja_sjis_crlf.html") << int(ShiftJIS);
    QTest::newRow("euc-jp lf") << fixture("ja_eucjp_lf.html") << int(EucJP);
    QTest::newRow("euc-jp crlf") << fixture("ja_eucjp_crlf.html") << int(EucJP);
    // Half-width katakana (8E pairs) then kanji, CR LF lines.
    QTest::newRow("euc-jp half-width katakana")
        << QByteArray("\x8E\xB6\x8E\xC0\x8E\xB6\x8E\xC5\xB4\xC1\xBB\xFA\r\n"
                      "\x8E\xB6\x8E\xC5\xB4\xC1\xBB\xFA\r\n")
        << int(EucJP);
    // One line of kanji, hiragana, katakana and an ideographic full stop.
    QTest::newRow("utf-8 line ending in a full stop")
        << QString::fromUtf8("日本語のテキストです。\n").toUtf8() << int(UTF8);
    QTest::newRow("single-byte katakana pairs score for euc-jp")
        << QByteArray("\xB6\xC0\xB6\xC5 \xB6\xC0\xB6\xC5\r\n\r\n") << int(EucJP);

    // Dense Japanese without a single ASCII byte: UTF-16 without a mark has
    // no zero bytes either, and must not be taken for an 8-bit encoding, nor
    // the 8-bit encodings for UTF-16.
    const QString dense = denseJapanese();
    const auto asBytes = [](const QString &text, QStringConverter::Encoding enc) {
        return QByteArray(QStringEncoder(enc).encode(text));
    };
    QTest::newRow("dense utf-16le") << asBytes(dense, QStringConverter::Utf16LE) << int(UTF16LE);
    QTest::newRow("dense utf-16be") << asBytes(dense, QStringConverter::Utf16BE) << int(UTF16BE);
    QTest::newRow("dense utf-8") << dense.toUtf8() << int(UTF8);
    QTest::newRow("dense shift-jis") << QByteArray(QStringEncoder("Shift-JIS").encode(dense))
                                     << int(ShiftJIS);
    QTest::newRow("dense euc-jp") << QByteArray(QStringEncoder("EUC-JP").encode(dense))
                                  << int(EucJP);
    // ASCII read as UTF-16 gives CJK code points ("ab" is U+6162).
    QTest::newRow("ascii of even length is no utf-16") << QByteArray("this app can break") << int(UTF8);
    QTest::newRow("ascii page with a little utf-8")
        << QString::fromUtf8("<p>Mossglen の庭</p>\n").toUtf8() << int(UTF8);

    // Plain ASCII is UTF-8, so that typing any character later loses nothing.
    QTest::newRow("empty") << QByteArray() << int(UTF8);
    QTest::newRow("two bytes") << QByteArray("ab") << int(UTF8);
    QTest::newRow("ascii lf") << QByteArray("first line\nsecond line\nthird\n") << int(UTF8);
    QTest::newRow("ascii crlf") << QByteArray("first line\r\nsecond line\r\nthird\r\n") << int(UTF8);
    // Ties go by line ends; bytes invalid in a candidate rule it out.
    QTest::newRow("lone CRs count as nothing") << QByteArray("a\xE9\rb\rc\rd\re\r") << int(ShiftJIS);
    QTest::newRow("more LF than CR LF") << QByteArray("a\xE9\r\nb\nc\nd\n\n") << int(EucJP);
    QTest::newRow("as many LF as CR LF") << QByteArray("a\xE9\r\nb\nc\r\nd\nxx") << int(ShiftJIS);
    // Valid UTF-8 no longer loses a tie to EUC-JP or Shift-JIS.
    QTest::newRow("one e-acute, lf") << QString::fromUtf8("caf\u00e9 au lait\nencore\n").toUtf8()
                                     << int(UTF8);
    QTest::newRow("one e-acute, crlf") << QString::fromUtf8("caf\u00e9 au lait\r\nencore\r\n").toUtf8()
                                       << int(UTF8);
    QTest::newRow("short utf-8 alt text") << QString::fromUtf8("<img alt=\"[注意]\">").toUtf8()
                                          << int(UTF8);
    QTest::newRow("hiragana scoring even with shift-jis")
        << QString::fromUtf8("ああ\n").toUtf8() << int(UTF8);
    QTest::newRow("emoji") << QString::fromUtf8("ok \U0001F600\n").toUtf8() << int(UTF8);
    QTest::newRow("lead F5 is no utf-8")
        << QByteArray("x \xF5\x80\x80\x80 y\n\n") << int(ShiftJIS);
    QTest::newRow("lead F8 is no utf-8") << QByteArray("x \xF8\x80\x80\x80\x80 y\n\n") << int(ShiftJIS);
    QTest::newRow("four-byte lead missing a continuation")
        << QByteArray("x \xF0\x9F\x98 y z\n\n") << int(ShiftJIS);
    QTest::newRow("latin-1 rules all three out, lf") << QByteArray("caf\xE9 au lait\nencore\n\n")
                                                    << int(EucJP);
    QTest::newRow("latin-1 rules all three out, crlf")
        << QByteArray("caf\xE9 au lait\r\nencore\r\n\r\n") << int(ShiftJIS);

    // A declaration in the first 1024 bytes, unless the bytes say otherwise.
    // The title's Latin-1 byte is no valid text in any of the three, so
    // only the declaration or the line ends can decide.
    const QByteArray tail = "<title>caf\xE9</title>\n</head>\n<body>\n</body>\n";
    QTest::newRow("meta charset utf-8, lf")
        << "<html><head>\n<meta charset=\"utf-8\">\n" + tail << int(UTF8);
    QTest::newRow("meta charset unquoted shift_jis")
        << "<html><head>\n<meta charset=Shift_JIS>\n" + tail << int(ShiftJIS);
    QTest::newRow("upper-case META CHARSET")
        << "<HTML><HEAD>\n<META CHARSET=\"EUC-JP\">\n" + tail << int(EucJP);
    QTest::newRow("meta with a tab before the attribute")
        << "<html><head>\n<meta\tcharset=Shift_JIS>\n" + tail << int(ShiftJIS);
    QTest::newRow("meta with slash before the attribute")
        << "<head>\n<meta/charset='utf-8'>\n" + tail << int(UTF8);
    QTest::newRow("http-equiv content-type, crlf")
        << QByteArray("<head>\r\n<meta http-equiv=\"Content-Type\" "
                      "content=\"text/html; charset=EUC-JP\">\r\n</head>\r\n")
        << int(EucJP);
    QTest::newRow("content before http-equiv")
        << "<meta content=\"text/html;charset=utf-8\" http-equiv=content-type>\n" + tail << int(UTF8);
    QTest::newRow("content without http-equiv is no declaration")
        << "<meta content=\"text/html; charset=utf-8\">\n" + tail << int(EucJP);
    QTest::newRow("inside a comment")
        << "<!-- <meta charset=\"utf-8\"> -->\n" + tail << int(EucJP);
    QTest::newRow("after a comment") << "<!-- x -->\n<meta charset=\"utf-8\">\n" + tail << int(UTF8);
    QTest::newRow("short comment <!--> already closed")
        << "<!-->\n<meta charset=\"utf-8\">\n" + tail << int(UTF8);
    QTest::newRow("inside another tag's attribute")
        << "<div title=\"<meta charset=utf-8>\">\n" + tail << int(EucJP);
    QTest::newRow("metal is not meta") << "<metal charset=\"utf-8\">\n" + tail << int(EucJP);
    QTest::newRow("in a processing instruction")
        << "<?xml <meta charset=\"utf-8\"> ?>\n" + tail << int(EucJP);
    QTest::newRow("unknown label") << "<meta charset=\"iso-8859-1\">\n" + tail << int(EucJP);
    QTest::newRow("utf-16 label means utf-8")
        << "<meta charset=\"utf-16\">\n" + tail << int(UTF8);
    QTest::newRow("beyond the first 1024 bytes")
        << QByteArray(1030, ' ') + "<meta charset=\"utf-8\">\n" + tail << int(EucJP);
    QTest::newRow("unfinished tag at the end") << QByteArray("<p>\xE9</p>\n<meta charset=\"utf-8\"")
                                               << int(EucJP);
    QTest::newRow("style sheet @charset")
        << QByteArray("@charset \"UTF-8\";\nbody { color: red; }\n") << int(UTF8);
    QTest::newRow("style sheet @charset shift_jis")
        << QByteArray("@charset \"Shift_JIS\";\nbody { color: red; }\n") << int(ShiftJIS);
    QTest::newRow("@charset with single quotes is not a declaration")
        << QByteArray("@charset 'UTF-8';\nbody { content: \"\xE9\"; }\n") << int(EucJP);
    QTest::newRow("@charset not at the start")
        << QByteArray("\n@charset \"UTF-8\";\nbody { content: \"\xE9\"; }\n") << int(EucJP);
    // Decisive bytes outweigh a declaration.
    QTest::newRow("shift-jis bytes declared utf-8")
        << "<meta charset=\"utf-8\">\n" + fixture("ja_sjis_lf.html") << int(ShiftJIS);
    QTest::newRow("euc-jp bytes declared shift_jis")
        << "<meta charset=\"shift_jis\">\n" + fixture("ja_eucjp_lf.html") << int(EucJP);
    QTest::newRow("latin-1 bytes declared euc-jp")
        << QByteArray("<meta charset=\"euc-jp\">\r\ncaf\xE9\r\n\r\n") << int(EucJP);

    // Only the first 64 KiB are scanned.
    QByteArray lfAscii;
    while (lfAscii.size() < 65536)
        lfAscii += "plain ascii line\n";
    lfAscii.truncate(65536);
    // An ASCII window leaves the decision to the first bytes after it.
    QTest::newRow("shift-jis pair after an ascii window") << lfAscii + "\x82\xA0\x82\xA0"
                                                         << int(ShiftJIS);
    QTest::newRow("utf-8 after an ascii window")
        << lfAscii + QString::fromUtf8("苔の庭\n").toUtf8() << int(UTF8);
    QTest::newRow("NUL run after the window") << lfAscii + QByteArray(16, '\0') << int(UTF8);
    QByteArray sjisEarly = lfAscii;
    sjisEarly.replace(200, 2, "\x82\xA0");
    QTest::newRow("one shift-jis pair inside the window") << sjisEarly << int(ShiftJIS);
    // The last scanned byte starts an emoji whose final byte lies past the
    // window: look-ahead still sees it.
    QByteArray edge(65533, 'a');
    edge += "\xF0\x9F\x98\x80 tail";
    QTest::newRow("four-byte sequence across the window end") << edge << int(UTF8);
    // The last two bytes of the window are not scanned.
    const QByteArray lastTwo = lfAscii.left(65534) + "\x82\xA0" + "\n\n";
    QTest::newRow("pair in the unscanned last two bytes") << lastTwo << int(EucJP);
}

void TestCharEncoding::detect()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, expected);
    QCOMPARE(int(detectEncoding(bytes)), expected);
}

void TestCharEncoding::encodingLabels_data()
{
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<int>("expected");
    QTest::newRow("utf8") << QByteArray("utf8") << int(UTF8);
    QTest::newRow("padded UTF-8") << QByteArray("  UTF-8\t") << int(UTF8);
    QTest::newRow("sjis") << QByteArray("sjis") << int(ShiftJIS);
    QTest::newRow("windows-31j") << QByteArray("Windows-31J") << int(ShiftJIS);
    QTest::newRow("csShiftJIS") << QByteArray("csShiftJIS") << int(ShiftJIS);
    QTest::newRow("x-euc-jp") << QByteArray("x-euc-jp") << int(EucJP);
    QTest::newRow("utf-16le") << QByteArray("utf-16le") << int(UTF8);
    QTest::newRow("utf-16be") << QByteArray("UTF-16BE") << int(UTF8);
    QTest::newRow("iso-2022-jp is not ours") << QByteArray("iso-2022-jp") << int(NoEncoding);
    QTest::newRow("empty") << QByteArray() << int(NoEncoding);
    QTest::newRow("prefix only") << QByteArray("utf") << int(NoEncoding);
}

void TestCharEncoding::encodingLabels()
{
    QFETCH(QByteArray, label);
    QFETCH(int, expected);
    QCOMPARE(int(encodingForLabel(label)), expected);
}

void TestCharEncoding::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("report");  // "", "invalid" or "changes" (written back otherwise)
    QTest::addColumn<bool>("mark");
    QTest::newRow("shift-jis") << QByteArray("\x82\xA0\x83\x41 a") << int(ShiftJIS)
                               << QString::fromUtf8("あア a") << "" << false;
    QTest::newRow("shift-jis NEC circled digit") << QByteArray("\x87\x40") << int(ShiftJIS)
                                                 << QString::fromUtf8("①") << "" << false;
    QTest::newRow("shift-jis IBM extension kanji") << QByteArray("\xFA\x5C") << int(ShiftJIS)
                                                   << QString::fromUtf8("纊") << "" << false;
    // NEC-selected IBM extensions duplicate IBM's; encoding picks IBM's.
    QTest::newRow("shift-jis duplicate code") << QByteArray("\xED\x40") << int(ShiftJIS)
                                              << QString::fromUtf8("纊") << "changes" << false;
    QTest::newRow("shift-jis invalid byte") << QByteArray("a\xFF" "b") << int(ShiftJIS)
                                            << QString() << "invalid" << false;
    QTest::newRow("shift-jis lead cut off at the end") << QByteArray("ab\x82") << int(ShiftJIS)
                                                       << QString() << "invalid" << false;
    QTest::newRow("euc-jp") << QByteArray("\xA4\xA2\x8E\xB1") << int(EucJP)
                            << QString::fromUtf8("あｱ") << "" << false;
    QTest::newRow("euc-jp kana lead with a kanji trail") << QByteArray("\n\x8E\xE0") << int(EucJP)
                                                         << QString() << "changes" << false;
    QTest::newRow("euc-jp cut off at the end") << QByteArray("a\xA4") << int(EucJP)
                                               << QString() << "invalid" << false;
    QTest::newRow("utf-8 mark dropped") << utf8Bom() + "A\n" << int(UTF8)
                                        << QStringLiteral("A\n") << "" << true;
    QTest::newRow("utf-8 invalid byte") << QByteArray("a\xC0z") << int(UTF8) << QString()
                                        << "invalid" << false;
    QTest::newRow("utf-8 cut off at the end") << QByteArray("a\xE3\x81") << int(UTF8)
                                              << QString() << "invalid" << false;
    QTest::newRow("utf-16le mark dropped") << QByteArray("\xFF\xFE" "A\0B\0", 6) << int(UTF16LE)
                                           << QStringLiteral("AB") << "" << true;
    QTest::newRow("utf-16be without mark") << QByteArray("\x30\x42\0A", 4) << int(UTF16BE)
                                           << QString::fromUtf8("あA") << "" << false;
    QTest::newRow("utf-16le odd length") << QByteArray("A\0B", 3) << int(UTF16LE)
                                         << QString() << "invalid" << false;
    QTest::newRow("crlf kept for the view to split") << QByteArray("a\r\nb") << int(UTF8)
                                                     << QStringLiteral("a\r\nb") << "" << false;
}

void TestCharEncoding::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    QFETCH(QString, text);
    QFETCH(QString, report);
    QFETCH(bool, mark);
    const DecodedText d = decodeBytes(bytes, CharEncoding(encoding));
    QCOMPARE(int(d.encoding), encoding);
    QCOMPARE(d.hadErrors, report == QLatin1String("invalid"));
    QCOMPARE(d.notRoundTrip, report == QLatin1String("changes"));
    QCOMPARE(d.byteOrderMark, mark);
    if (!text.isNull())
        QCOMPARE(d.text, text);
    else
        QVERIFY(!d.text.isEmpty());  // replaced, not dropped
}

// Every two-byte Shift-JIS and EUC-JP code and every three-byte JIS X 0212
// code of EUC-JP: what reads without a report writes back as the same bytes.
void TestCharEncoding::everyJapaneseCodeRoundTripsOrIsReported()
{
    QList<QPair<QByteArray, CharEncoding>> codes;
    const auto code = [](std::initializer_list<int> bytes) {
        QByteArray b;
        for (int c : bytes)
            b.append(char(c));
        return b;
    };
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if ((lead <= 0x9F || lead >= 0xE0) && trail != 0x7F)
                codes.append({code({lead, trail}), ShiftJIS});
    for (int lead = 0xA1; lead <= 0xFE; ++lead)
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            codes.append({code({lead, trail}), EucJP});
            codes.append({code({0x8F, lead, trail}), EucJP});
        }
    for (int trail = 0xA1; trail <= 0xFE; ++trail)
        codes.append({code({0x8E, trail}), EucJP});
    int reported = 0;
    for (const auto &[bytesOfCode, encoding] : codes) {
        const QByteArray bytes = "<p>" + bytesOfCode + "</p>\n";
        const DecodedText d = decodeBytes(bytes, encoding);
        if (d.hadErrors || d.notRoundTrip) {
            ++reported;
            continue;
        }
        const EncodedText e = encodeText(d.text, encoding);
        QVERIFY2(!e.lossy && e.bytes == bytes, bytesOfCode.toHex().constData());
    }
    // The NEC/IBM duplicates and the unmapped codes are many, not all.
    QVERIFY(reported > 398 && reported < codes.size() / 2);
}

void TestCharEncoding::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<bool>("mark");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("lossy");
    const QString aa = QString::fromUtf8("Aあ");
    QTest::newRow("utf-8 without mark") << aa << int(UTF8) << false << QByteArray("A\xE3\x81\x82") << false;
    QTest::newRow("utf-8 with mark") << aa << int(UTF8) << true
                                     << QByteArray("\xEF\xBB\xBF" "A\xE3\x81\x82") << false;
    QTest::newRow("utf-16le with mark") << aa << int(UTF16LE) << true
                                        << QByteArray("\xFF\xFE" "A\0\x42\x30", 6) << false;
    QTest::newRow("utf-16be with mark") << aa << int(UTF16BE) << true
                                        << QByteArray("\xFE\xFF\0A\x30\x42", 6) << false;
    QTest::newRow("utf-16le without mark") << aa << int(UTF16LE) << false
                                           << QByteArray("A\0\x42\x30", 4) << false;
    QTest::newRow("empty utf-16le is its mark") << QString() << int(UTF16LE) << true
                                                << QByteArray("\xFF\xFE") << false;
    QTest::newRow("shift-jis has no mark") << aa << int(ShiftJIS) << true << QByteArray("A\x82\xA0")
                                           << false;
    QTest::newRow("shift-jis NEC circled digit") << QString::fromUtf8("①") << int(ShiftJIS) << false
                                                 << QByteArray("\x87\x40") << false;
    QTest::newRow("euc-jp half-width katakana") << QString::fromUtf8("ｱ") << int(EucJP) << false
                                                << QByteArray("\x8E\xB1") << false;
    QTest::newRow("e-acute in shift-jis") << QString::fromUtf8("caf\u00e9") << int(ShiftJIS) << false
                                          << QByteArray() << true;
    QTest::newRow("emoji in euc-jp") << QString::fromUtf8("x\U0001F600") << int(EucJP) << false
                                     << QByteArray() << true;
    QTest::newRow("emoji in shift-jis") << QString::fromUtf8("\U0001F33F") << int(ShiftJIS) << false
                                        << QByteArray() << true;
    QTest::newRow("lone surrogate in utf-8") << QString(QChar(0xD800)) << int(UTF8) << false
                                             << QByteArray() << true;
    QTest::newRow("emoji in utf-8") << QString::fromUtf8("\U0001F600") << int(UTF8) << false
                                    << QByteArray("\xF0\x9F\x98\x80") << false;
}

void TestCharEncoding::encode()
{
    QFETCH(QString, text);
    QFETCH(int, encoding);
    QFETCH(bool, mark);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, lossy);
    const EncodedText e = encodeText(text, CharEncoding(encoding), mark);
    QCOMPARE(e.lossy, lossy);
    if (!lossy)
        QCOMPARE(e.bytes, bytes);
    else
        QVERIFY(!e.bytes.isEmpty());
}

// Random and mutated buffers: detection always names one of the five
// encodings, and whatever decodes cleanly encodes back without loss.
void TestCharEncoding::fuzzDetectAndRoundTrip()
{
    QRandomGenerator rng(20240611);
    const QList<QByteArray> seeds = {
        fixture("ja_sjis_crlf.html"), fixture("ja_eucjp_lf.html"), fixture("ja_utf8_4byte.html"),
        fixture("ja_utf16le_lf.html"), fixture("ja_utf16bebom_crlf.html"), fixture("ja_utf8bom_lf.html"),
    };
    int cleanRoundTrips = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray buf;
        if (round % 3 == 0) {
            const int len = int(rng.bounded(round % 50 == 0 ? 70000 : 64));
            buf.resize(len);
            for (int i = 0; i < len; ++i)
                buf[i] = char(rng.bounded(256));
        } else {
            buf = seeds[rng.bounded(int(seeds.size()))];
            const int edits = 1 + int(rng.bounded(6));
            for (int k = 0; k < edits && !buf.isEmpty(); ++k) {
                const int at = int(rng.bounded(int(buf.size())));
                switch (rng.bounded(4)) {
                case 0: buf[at] = char(rng.bounded(256)); break;
                case 1: buf.insert(at, '\0'); break;
                case 2: buf.truncate(at); break;
                default: buf.remove(at, 1); break;
                }
            }
        }
        const CharEncoding enc = detectEncoding(buf);
        QVERIFY2(enc >= ShiftJIS && enc <= UTF16BE, qPrintable(QString::number(round)));
        const DecodedText d = decodeBytes(buf);
        QCOMPARE(d.encoding, enc);
        const EncodedText e = encodeText(d.text, enc, d.byteOrderMark);
        if (d.hadErrors)
            continue;
        QVERIFY2(!e.lossy, qPrintable(QStringLiteral("round %1, %2").arg(round).arg(::encodingName(enc))));
        // What reads without a report comes back byte for byte, mark and all.
        if (!d.notRoundTrip)
            QCOMPARE(e.bytes, buf);
        ++cleanRoundTrips;
    }
    // The mutations must leave enough clean inputs for the round trip to mean something.
    QVERIFY2(cleanRoundTrips > 300, qPrintable(QString::number(cleanRoundTrips)));
}

QTEST_GUILESS_MAIN(TestCharEncoding)
#include "tst_charencoding.moc"
