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

void TestCharEncoding::encodingName_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("none") << 0 << QByteArray();
    QTest::newRow("shift-jis") << 1 << QByteArray("Shift-JIS");
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
    for (const TestRow &r : readTestTable("editor/detect.txt"))
        QTest::newRow(qPrintable(r.name)) << tableBytes(r.fields.at(0)) << int(tableEncoding(r.fields.at(1)));

    QTest::newRow("only NUL bytes") << QByteArray(64, '\0') << int(UTF16BE);
    QTest::newRow("declaration beyond the first 1024 bytes")
        << QByteArray(1030, ' ') + "<meta charset=\"utf-8\">\n<title>caf\xE9</title>\n</head>\n<body>\n</body>\n"
        << int(EucJP);
    // Dense Japanese without a single ASCII byte: UTF-16 without a mark has
    // no zero bytes either, and must not be taken for an 8-bit encoding, nor
    // the 8-bit encodings for UTF-16.
    QString dense;
    for (QChar c : QString::fromUtf8(encodingFixture("ja_source.html")))
        if (c.unicode() >= 0x80)
            dense += c;
    for (CharEncoding e : {ShiftJIS, EucJP, UTF8, UTF16LE, UTF16BE})
        QTest::addRow("dense %s", ::encodingName(e)) << QByteArray(QStringEncoder(::encodingName(e)).encode(dense)) << int(e);

    // Only the first 64 KiB are scanned; an ASCII window leaves the decision
    // to the first bytes after it.
    QByteArray lfAscii = QByteArray("plain ascii line\n").repeated(4000).left(65536);
    QTest::newRow("shift-jis pair after an ascii window") << lfAscii + "\x82\xA0\x82\xA0" << int(ShiftJIS);
    QTest::newRow("utf-8 after an ascii window") << lfAscii + QString::fromUtf8("苔の庭\n").toUtf8() << int(UTF8);
    QTest::newRow("NUL run after the window") << lfAscii + QByteArray(16, '\0') << int(UTF8);
    QTest::newRow("one shift-jis pair inside the window") << QByteArray(lfAscii).replace(200, 2, "\x82\xA0") << int(ShiftJIS);
    // The last scanned byte starts an emoji whose final byte lies past the
    // window: look-ahead still sees it.
    QTest::newRow("four-byte sequence across the window end")
        << QByteArray(65533, 'a') + "\xF0\x9F\x98\x80 tail" << int(UTF8);
    QTest::newRow("pair in the unscanned last two bytes") << lfAscii.left(65534) + "\x82\xA0\n\n" << int(EucJP);
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
    for (const TestRow &r : readTestTable("editor/labels.txt"))
        QTest::newRow(qPrintable(r.name)) << r.fields.at(0).toLatin1() << int(tableEncoding(r.fields.at(1)));
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
    QTest::addColumn<QString>("report");
    QTest::addColumn<bool>("mark");
    for (const TestRow &r : readTestTable("editor/decode.txt"))
        QTest::newRow(qPrintable(r.name)) << tableBytes(r.fields.at(0)) << int(tableEncoding(r.fields.at(1)))
                                          << r.fields.at(2) << r.fields.at(3) << (r.fields.at(4) == "yes");
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
    if (text != QLatin1String("*"))
        QCOMPARE(d.text, text);
    else
        QVERIFY(!d.text.isEmpty());
}

// Every two-byte Shift-JIS and EUC-JP code and every three-byte JIS X 0212
// code of EUC-JP: what reads without a report writes back as the same bytes.
void TestCharEncoding::everyJapaneseCodeRoundTripsOrIsReported()
{
    QList<QPair<QByteArray, CharEncoding>> codes;
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if ((lead <= 0x9F || lead >= 0xE0) && trail != 0x7F)
                codes.append({QByteArray(1, char(lead)) + char(trail), ShiftJIS});
    for (int lead = 0xA1; lead <= 0xFE; ++lead) {
        codes.append({QByteArray(1, char(0x8E)) + char(lead), EucJP});
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            codes.append({QByteArray(1, char(lead)) + char(trail), EucJP});
            codes.append({QByteArray("\x8F") + char(lead) + char(trail), EucJP});
        }
    }
    int reported = 0;
    for (const auto &[code, encoding] : codes) {
        const QByteArray bytes = "<p>" + code + "</p>\n";
        const DecodedText d = decodeBytes(bytes, encoding);
        if (d.hadErrors || d.notRoundTrip) {
            ++reported;
            continue;
        }
        const EncodedText e = encodeText(d.text, encoding);
        QVERIFY2(!e.lossy && e.bytes == bytes, code.toHex().constData());
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
    for (const TestRow &r : readTestTable("editor/encode.txt"))
        QTest::newRow(qPrintable(r.name)) << r.fields.at(0) << int(tableEncoding(r.fields.at(1)))
                                          << (r.fields.at(2) == "yes") << tableBytes(r.fields.at(3));
    QTest::newRow("lone surrogate in utf-8") << QString(QChar(0xD800)) << int(UTF8) << false << QByteArray("*");
}

void TestCharEncoding::encode()
{
    QFETCH(QString, text);
    QFETCH(int, encoding);
    QFETCH(bool, mark);
    QFETCH(QByteArray, bytes);
    const EncodedText e = encodeText(text, CharEncoding(encoding), mark);
    QCOMPARE(e.lossy, bytes == "*");
    QVERIFY(!e.bytes.isEmpty());
    if (!e.lossy)
        QCOMPARE(e.bytes, bytes);
}

// Random and mutated buffers: detection always names one of the five
// encodings, and whatever decodes cleanly encodes back without loss.
void TestCharEncoding::fuzzDetectAndRoundTrip()
{
    QRandomGenerator rng(20240611);
    QList<QByteArray> seeds;
    for (const char *name : {"ja_sjis_crlf.html", "ja_eucjp_lf.html", "ja_utf8_4byte.html",
                             "ja_utf16le_lf.html", "ja_utf16bebom_crlf.html", "ja_utf8bom_lf.html"})
        seeds << encodingFixture(QLatin1String(name));
    int cleanRoundTrips = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray buf;
        if (round % 3 == 0) {
            buf.resize(int(rng.bounded(round % 50 == 0 ? 70000 : 64)));
            for (char &c : buf)
                c = char(rng.bounded(256));
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
        if (d.hadErrors)
            continue;
        const EncodedText e = encodeText(d.text, enc, d.byteOrderMark);
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
