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
    // Only the low byte of the value counts.
    void encodingName()
    {
        const QList<QPair<int, const char *>> names{{0, nullptr}, {1, "Shift-JIS"}, {5, "UTF-16BE"}, {6, nullptr},
                                                    {255, nullptr}, {0x103, "UTF-8"}, {-252, "UTF-16LE"}};
        for (const auto &[value, name] : names)
            QCOMPARE(::encodingName(value), name);
    }

    void detect_data()
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
        const QByteArray lfAscii = QByteArray("plain ascii line\n").repeated(4000).left(65536);
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
    void detect()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, expected);
        QCOMPARE(int(detectEncoding(bytes)), expected);
    }

    void encodingLabels_data() { addTableRows("editor/labels.txt", "f"); }
    void encodingLabels()
    {
        QFETCH(QStringList, f);
        QCOMPARE(int(encodingForLabel(f.at(0).toLatin1())), int(tableEncoding(f.at(1))));
    }

    void decode_data() { addTableRows("editor/decode.txt", "f"); }
    void decode()
    {
        QFETCH(QStringList, f);
        const DecodedText d = decodeBytes(tableBytes(f.at(0)), tableEncoding(f.at(1)));
        QCOMPARE(int(d.encoding), int(tableEncoding(f.at(1))));
        QCOMPARE(d.hadErrors, f.at(3) == QLatin1String("invalid"));
        QCOMPARE(d.notRoundTrip, f.at(3) == QLatin1String("changes"));
        QCOMPARE(d.byteOrderMark, f.at(4) == QLatin1String("yes"));
        if (f.at(2) != QLatin1String("*"))
            QCOMPARE(d.text, f.at(2));
        QVERIFY(!d.text.isEmpty());
    }

    void encode_data() { addTableRows("editor/encode.txt", "f"); }
    void encode()
    {
        QFETCH(QStringList, f);
        const EncodedText e = encodeText(f.at(0), tableEncoding(f.at(1)), f.at(2) == QLatin1String("yes"));
        QCOMPARE(e.lossy, f.at(3) == QLatin1String("*"));
        QVERIFY(!e.bytes.isEmpty());
        if (!e.lossy)
            QCOMPARE(e.bytes, tableBytes(f.at(3)));
    }

    // Every two-byte Shift-JIS and EUC-JP code and every three-byte JIS X 0212
    // code of EUC-JP: what reads without a report writes back as the same
    // bytes; a lone surrogate is lossy even in UTF-8.
    void everyJapaneseCodeRoundTripsOrIsReported()
    {
        const EncodedText lone = encodeText(QString(QChar(0xD800)), UTF8);
        QVERIFY(lone.lossy && !lone.bytes.isEmpty());
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

    // Random and mutated buffers: detection always names one of the five
    // encodings, and whatever decodes cleanly encodes back without loss.
    void fuzzDetectAndRoundTrip()
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
};

QTEST_GUILESS_MAIN(TestCharEncoding)
#include "tst_charencoding.moc"
