// libFuzzer driver for the line scanner. The first byte picks the start state
// (values past 14 try out-of-range states) and how the rest is read: as UTF-8,
// or with its top bit set as raw UTF-16 code units, which lets lone surrogates
// and NULs through. The text is scanned line by line with the state carried
// over; any broken rule aborts so that libFuzzer keeps the input.
//
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
//   ninja -C build-fuzz fuzz_htmlscanner
//   mkdir -p /tmp/corpus   (new inputs are written to the first directory)
//   build-fuzz/bin/fuzz_htmlscanner -max_total_time=60 /tmp/corpus tests/data/scanner/input

#include "highlight/htmlscanner.h"

#include <QSet>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void broken(const char *rule, const QString &line, int startState)
{
    std::fprintf(stderr, "broken: %s (start state %d, line \"%s\")\n", rule, startState,
                 line.toUtf8().constData());
    std::abort();
}

bool isLineEndState(int state)
{
    switch (state) {
    case 0: case 1: case 2: case 4: case 5: case 6: case 7: case 8: case 9: case 14:
        return true;
    default:
        return false;
    }
}

int scanLine(const QSet<QString> *keywords, const QString &line, int startState)
{
    HtmlScanner scanner(keywords, line, startState);
    const qsizetype n = line.size();
    qsizetype end = 0;
    qsizetype calls = 0;
    for (;;) {
        if (++calls > 3 * (n + 2))
            broken("does not terminate", line, startState);
        const int kind = scanner.nextToken();
        if (kind == HtmlScanner::End)
            break;
        if (kind < 1 || kind > 12 || kind == 4)
            broken("unknown kind", line, startState);
        const qsizetype start = scanner.tokenStart();
        const qsizetype length = scanner.tokenLength();
        if (start < end || length < 0 || start + length > n)
            broken("token outside the line or overlapping", line, startState);
        if (length > 0 && line.at(start).isSpace())
            broken("token begins with white space", line, startState);
        if (scanner.position() != start + length)
            broken("position not behind the token", line, startState);
        if (scanner.state() >= HtmlScanner::StateCount)
            broken("state out of range", line, startState);
        end = start + length;
    }
    if (!isLineEndState(scanner.state()))
        broken("line ends in a transient state", line, startState);
    if (scanner.nextToken() != HtmlScanner::End)
        broken("End is not final", line, startState);
    return scanner.state();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const QSet<QString> keywords = {QStringLiteral("var"), QStringLiteral("if"),
                                           QStringLiteral("return"), QStringLiteral("function")};
    const int control = data[0];
    int state = (control & 0x7f) % 18 - 1; // -1 .. 16
    QString text;
    if (control & 0x80) {
        // The bytes need not be aligned for char16_t: copy them.
        text.resize(qsizetype((size - 1) / 2));
        std::memcpy(text.data(), data + 1, size_t(text.size()) * 2);
    } else
        text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QSet<QString> *set = (control & 0x40) ? nullptr : &keywords;
    for (const QString &line : text.split(u'\n'))
        state = scanLine(set, line, state);
    return 0;
}
