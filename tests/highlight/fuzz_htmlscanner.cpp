// libFuzzer driver for the line scanner, and the rules every scanned line
// keeps, which tst_htmlscanner checks on random lines as well. The first byte
// picks the start state (values past the last try out-of-range states) and
// how the rest is read: as UTF-8, or with its top bit set as raw UTF-16 code
// units, which lets lone surrogates and NULs through. The text is scanned
// line by line with the state carried over; any broken rule aborts so that
// libFuzzer keeps the input.
//
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
//   ninja -C build-fuzz fuzz_htmlscanner
//   mkdir -p /tmp/corpus   (new inputs are written to the first directory)
//   build-fuzz/bin/fuzz_htmlscanner -max_total_time=60 /tmp/corpus tests/data/scanner/input

#include "highlight/htmlscanner.h"

#include <QSet>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The first rule the scan of `line` breaks, or nullptr; `endState` is the
// state the line ends in.
const char *brokenRule(const QSet<QString> *keywords, const QString &line, int startState, int *endState)
{
    HtmlScanner scanner(keywords, line, startState);
    const qsizetype n = line.size();
    qsizetype end = 0;
    for (qsizetype calls = 1;; ++calls) {
        if (calls > 3 * (n + 2))
            return "does not terminate";
        const int kind = scanner.nextToken();
        if (kind == HtmlScanner::End)
            break;
        if (kind < 1 || kind >= HtmlScanner::TokenCount || kind == 4)
            return "unknown kind";
        if (scanner.lastKind() != kind)
            return "lastKind differs from the returned kind";
        if (scanner.state() >= HtmlScanner::StateCount)
            return "state out of range";
        const qsizetype start = scanner.tokenStart();
        const qsizetype length = scanner.tokenLength();
        if (start < end || length < 0 || start + length > n)
            return "token outside the line or overlapping";
        if (scanner.tokenText() != line.mid(start, length))
            return "token text is not the line's text";
        if (length > 0 && line.at(start).isSpace())
            return "token begins with white space";
        if (length > 0 && line.at(start).isLowSurrogate() && start > 0 && line.at(start - 1).isHighSurrogate())
            return "token splits a surrogate pair";
        if (scanner.position() != start + length)
            return "position not behind the token";
        end = start + length;
    }
    // The transient states are always resolved on the line that entered them.
    *endState = scanner.state();
    static const QList<int> transient = {3, 10, 11, 12, 13, 26};
    if (*endState < 0 || *endState >= HtmlScanner::StateCount || transient.contains(*endState))
        return "line ends in a transient state";
    for (int i = 0; i < 3; ++i)
        if (scanner.nextToken() != HtmlScanner::End || scanner.tokenLength() != 0 || scanner.state() != *endState)
            return "End is not final";
    return nullptr;
}

} // namespace

#ifndef MOSSGLEN_SCANNER_RULES_ONLY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const QSet<QString> keywords = {QStringLiteral("var"), QStringLiteral("if"),
                                           QStringLiteral("return"), QStringLiteral("function")};
    const int control = data[0];
    int state = (control & 0x7f) % (HtmlScanner::StateCount + 2) - 1;
    QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    if (control & 0x80) {
        // The bytes need not be aligned for char16_t: copy them.
        text.resize(qsizetype((size - 1) / 2));
        std::memcpy(text.data(), data + 1, size_t(text.size()) * 2);
    }
    for (const QString &line : text.split(u'\n')) {
        if (const char *rule = brokenRule((control & 0x40) ? nullptr : &keywords, line, state, &state)) {
            std::fprintf(stderr, "broken: %s (line \"%s\")\n", rule, line.toUtf8().constData());
            std::abort();
        }
    }
    return 0;
}
#endif
