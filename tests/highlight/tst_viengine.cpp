#include "editor/editviewbase.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

namespace {

struct Fixture {
    explicit Fixture(const QString &marked)
    {
        // Searches and substitutions keep their history in the settings store.
        settings.ignoreCase = CaseSensitive;
        settings.viEnabled = true;
        view = new EditViewBase(&settings, &engine);
        // Vertical moves keep the x position; equal advances keep it a column.
        view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        view->resize(400, 300);
        setCursorMarked(*view, marked);
    }
    ~Fixture() { delete view; }

    // Types `keys` as key presses: Escape is "\x1b", the command line that
    // `:`, `/` and `?` open takes the keys up to the next "\r", and insert
    // mode types into the text.
    void type(const QString &keys)
    {
        QString line;
        bool lineOpen = false;
        const QMetaObject::Connection c = QObject::connect(
                &engine, &ViEngine::commandLineRequested, view, [&](const QString &start) {
                    line = start;
                    lineOpen = true;
                });
        for (const QChar ch : keys) {
            if (lineOpen) {
                if (ch == QLatin1Char('\r')) {
                    lineOpen = false;
                    engine.executeCommandLine(line, view);
                } else {
                    line += ch;
                }
                continue;
            }
            const int key = ch == QChar(0x1b) ? int(Qt::Key_Escape)
                            : ch == QLatin1Char('\r') ? int(Qt::Key_Return) : 0;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Escape ? QString() : QString(ch));
            QApplication::sendEvent(view, &press);
        }
        QObject::disconnect(c);
    }

    ScopedSettingsStore store;
    GlobalSettings settings;
    ViEngine engine;
    EditViewBase *view = nullptr;
};

} // namespace

class TestViEngine : public QObject
{
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
    void commandLineOutcome_data();
    void commandLineOutcome();
    void undoAndRedoCounts_data();
    void undoAndRedoCounts();
    void yankBufferState_data();
    void yankBufferState();
    void deleteTakesSelection();
    void countAndPrefixState_data();
    void countAndPrefixState();
    void stateSharedByViews();
    void moveCursorOperations_data();
    void moveCursorOperations();
    void moveLinesAgreesWithQtVerticalMoves_data();
    void moveLinesAgreesWithQtVerticalMoves();
    void clampToLine_data();
    void clampToLine();
    void modeChangeGuard_data();
    void modeChangeGuard();
};

void TestViEngine::commands_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("mode");

    const int cmd = ViEngine::CommandMode;
    const int ins = ViEngine::InsertMode;

    // Motions within a line.
    QTest::newRow("3l stops on the last character") << "abc|def" << "3l" << "abcde|f" << cmd;
    QTest::newRow("10l stops on the last character") << "abc|def" << "10l" << "abcde|f" << cmd;
    QTest::newRow("l on the last character stays") << "ab|c\nxyz" << "l" << "ab|c\nxyz" << cmd;
    QTest::newRow("blank moves right") << "a|bc" << " " << "ab|c" << cmd;
    QTest::newRow("2h") << "abcd|ef" << "2h" << "ab|cdef" << cmd;
    QTest::newRow("h stops at column 0") << "x\nab|c" << "9h" << "x\n|abc" << cmd;
    QTest::newRow("0 goes to column 0") << "  ab|c" << "0" << "|  abc" << cmd;
    QTest::newRow("^ to the first non-blank") << " \tab|c" << "^" << " \t|abc" << cmd;
    QTest::newRow("^ on a blank line rests on its last blank") << "a\n  |  " << "^" << "a\n   | " << cmd;
    QTest::newRow("$ on abc rests on c") << "|abc" << "$" << "ab|c" << cmd;
    QTest::newRow("$ on an empty line stays") << "ab\n|\ncd" << "$" << "ab\n|\ncd" << cmd;
    QTest::newRow("$ ignores a count") << "|abc\ndef" << "3$" << "ab|c\ndef" << cmd;

    // Motions across lines.
    const QString twelve = QStringLiteral("0\n1\n2\n3\n4\n5\n6\n7\n8\n9\na\nb");
    QTest::newRow("10j: the 0 extends the count")
            << "|" + twelve << "10j" << QString(twelve).insert(20, QLatin1Char('|')) << cmd;
    QTest::newRow("j keeps the column") << "ab|cd\nwxyz" << "j" << "abcd\nwx|yz" << cmd;
    QTest::newRow("j onto a shorter line rests on its last character")
            << "abc|d\nxy\nz" << "j" << "abcd\nx|y\nz" << cmd;
    QTest::newRow("j keeps the column across an empty line") << "ab|cd\n\nabcd" << "jj" << "abcd\n\nab|cd" << cmd;
    QTest::newRow("k keeps the column across an empty line") << "abcd\n\nabc|d" << "2k" << "abc|d\n\nabcd" << cmd;
    QTest::newRow("j past the last line does nothing") << "a|b\ncd" << "5j" << "a|b\ncd" << cmd;
    QTest::newRow("k on the first line does nothing") << "a|bc\nd" << "k" << "a|bc\nd" << cmd;
    QTest::newRow("2k") << "ab\ncd\ne|f" << "2k" << "a|b\ncd\nef" << cmd;
    QTest::newRow("Return goes to the first non-blank below") << "a|b\n   cd" << "\r" << "ab\n   |cd" << cmd;
    QTest::newRow("Return ignores the count") << "a|b\n cd\nef" << "3\r" << "ab\n |cd\nef" << cmd;
    QTest::newRow("line feed is Return") << "a|b\n\tcd" << "\n" << "ab\n\t|cd" << cmd;
    QTest::newRow("Return on the last line does nothing") << "ab\nc|d" << "\r" << "ab\nc|d" << cmd;
    QTest::newRow("gg goes to the first line, column 0") << "ab\ncd\nef|g" << "gg" << "|ab\ncd\nefg" << cmd;
    QTest::newRow("g swallows the j after it") << "|ab\ncd\nef" << "gj" << "|ab\ncd\nef" << cmd;
    QTest::newRow("only the key after g is swallowed") << "|ab\ncd\nef" << "gjj" << "ab\n|cd\nef" << cmd;
    QTest::newRow("unknown key drops the count") << "a|bcdef" << "3zl" << "ab|cdef" << cmd;

    // Entering insert mode.
    QTest::newRow("i") << "ab|c" << "i" << "ab|c" << ins;
    QTest::newRow("a may pass the last character") << "ab|c" << "a" << "abc|" << ins;
    QTest::newRow("a on an empty line") << "x\n|" << "a" << "x\n|" << ins;
    QTest::newRow("A") << "|abc\nd" << "A" << "abc|\nd" << ins;
    QTest::newRow("I") << "  ab|c" << "I" << "  |abc" << ins;
    QTest::newRow("o copies the indentation") << "  a|b\ncd" << "o" << "  ab\n  |\ncd" << ins;
    QTest::newRow("O takes the indentation of the line above")
            << "\tab\n    c|d" << "O" << "\tab\n\t|\n    cd" << ins;
    QTest::newRow("O on the first line") << "  a|b" << "O" << "|\n  ab" << ins;

    // Character deletes.
    QTest::newRow("x") << "a|bcd" << "x" << "a|cd" << cmd;
    QTest::newRow("3x") << "a|bcde" << "3x" << "a|e" << cmd;
    QTest::newRow("2x at the last character deletes only it") << "ab|c\nde" << "2x" << "ab|\nde" << cmd;
    QTest::newRow("x on an empty line keeps the line break") << "ab\n|\ncd" << "x" << "ab\n|\ncd" << cmd;
    QTest::newRow("X") << "ab|cd" << "X" << "a|cd" << cmd;
    QTest::newRow("5X stops at the line start") << "x\nab|cd" << "5X" << "x\n|cd" << cmd;
    QTest::newRow("X at column 0 does nothing") << "ab\n|cd" << "X" << "ab\n|cd" << cmd;

    // Paste.
    QTest::newRow("x then p: character paste after the cursor") << "a|bc" << "xp" << "ac|b" << cmd;
    QTest::newRow("x then P: character paste at the cursor") << "a|bc" << "xP" << "a|bc" << cmd;
    QTest::newRow("p on an empty line") << "a|b\n" << "xjp" << "a\n|b" << cmd;
    QTest::newRow("Y then p: a line below, cursor at its start") << "a|b\ncd" << "Yp" << "ab\n|ab\ncd" << cmd;
    QTest::newRow("Y then P: a line above") << "ab\nc|d" << "YP" << "ab\n|cd\ncd" << cmd;
    QTest::newRow("Y then P on the first line") << "a|b" << "YP" << "|ab\nab" << cmd;
    QTest::newRow("2Y on the last line yanks only it") << "ab\nc|d" << "2Yp" << "ab\ncd\n|cd" << cmd;
    QTest::newRow("2Y then p") << "|ab\ncd\nef" << "2Yp" << "ab\n|ab\ncd\ncd\nef" << cmd;
    QTest::newRow("indented lines paste as they were yanked")
            << "  a|b\n\tcd\nx" << "2Yjp" << "  ab\n\tcd\n|  ab\n\tcd\nx" << cmd;
    QTest::newRow("paste ignores the count") << "a|bc" << "x3p" << "ac|b" << cmd;
    QTest::newRow("nothing yanked, nothing pasted") << "a|bc" << "pP" << "a|bc" << cmd;
    QTest::newRow("a huge count neither overflows nor hangs")
            << "a|bc\nd" << "99999999999999999999l" << "ab|c\nd" << cmd;
    QTest::newRow("a huge count for j ends at once") << "a|b\ncd" << "99999999999j" << "a|b\ncd" << cmd;
    QTest::newRow("a huge count for x stops at the line end") << "a|bc\nd" << "99999999999x" << "a|\nd" << cmd;

    // Word, line and document motions.
    QTest::newRow("w") << "|foo bar" << "w" << "foo |bar" << cmd;
    QTest::newRow("w stops at punctuation") << "|foo.bar" << "w" << "foo|.bar" << cmd;
    QTest::newRow("W passes punctuation") << "|foo.bar baz" << "W" << "foo.bar |baz" << cmd;
    QTest::newRow("3w across lines") << "|a b\nc d" << "3w" << "a b\nc |d" << cmd;
    QTest::newRow("w stops at an empty line") << "|ab\n\ncd" << "w" << "ab\n|\ncd" << cmd;
    QTest::newRow("w at the last word rests on the last character") << "ab c|d" << "w" << "ab c|d" << cmd;
    QTest::newRow("w from kana to kanji") << QStringLiteral("|\u3072\u3089\u6f22\u5b57") << "w"
                                          << QStringLiteral("\u3072\u3089|\u6f22\u5b57") << cmd;
    QTest::newRow("e") << "|foo bar" << "e" << "fo|o bar" << cmd;
    QTest::newRow("e at a word end goes on") << "fo|o bar" << "e" << "foo ba|r" << cmd;
    QTest::newRow("E") << "|a.b c" << "E" << "a.|b c" << cmd;
    QTest::newRow("b") << "foo ba|r" << "b" << "foo |bar" << cmd;
    QTest::newRow("2b") << "a b c|d" << "2b" << "a |b cd" << cmd;
    QTest::newRow("B") << "x foo.ba|r" << "B" << "x |foo.bar" << cmd;
    QTest::newRow("b across lines") << "ab\n|cd" << "b" << "|ab\ncd" << cmd;
    QTest::newRow("G to the last line's first non-blank") << "|a\nb\n  c" << "G" << "a\nb\n  |c" << cmd;
    QTest::newRow("3G") << "|a\nb\n  c\nd" << "3G" << "a\nb\n  |c\nd" << cmd;
    QTest::newRow("a huge G stops at the last line") << "|a\nb" << "99999999999G" << "a\n|b" << cmd;
    QTest::newRow("2gg") << "a\nb\n|c" << "2gg" << "a\n|b\nc" << cmd;
    QTest::newRow("+ and -") << "|a\n  b\nc" << "+j-" << "a\n  |b\nc" << cmd;
    QTest::newRow("f") << "|a,b,c" << "f," << "a|,b,c" << cmd;
    QTest::newRow("2f") << "|a,b,c" << "2f," << "a,b|,c" << cmd;
    QTest::newRow("t") << "|ab,c" << "t," << "a|b,c" << cmd;
    QTest::newRow("F") << "a,b,|c" << "F," << "a,b|,c" << cmd;
    QTest::newRow("T") << "a,bc|d" << "T," << "a,|bcd" << cmd;
    QTest::newRow("; repeats f") << "|a,b,c" << "f,;" << "a,b|,c" << cmd;
    QTest::newRow(", reverses it") << "|a,b,c" << "f,;," << "a|,b,c" << cmd;
    QTest::newRow("; after t goes on to the next one") << "|a,b,c" << "t,;" << "a,|b,c" << cmd;
    QTest::newRow("f stays in its line") << "|ab\nc,d" << "f," << "|ab\nc,d" << cmd;
    QTest::newRow("% forwards") << "|f(a(b)c)" << "%" << "f(a(b)c|)" << cmd;
    QTest::newRow("% backwards") << "f(a(b)c|)" << "%" << "f|(a(b)c)" << cmd;
    QTest::newRow("}") << "|a\nb\n\nc" << "}" << "a\nb\n|\nc" << cmd;
    QTest::newRow("{") << "a\n\nb\n|c" << "{" << "a\n|\nb\nc" << cmd;
    QTest::newRow("} without an empty line goes to the end") << "|ab\ncd" << "}" << "ab\nc|d" << cmd;
    QTest::newRow("H") << "a\nb\n|c" << "H" << "|a\nb\nc" << cmd;
    QTest::newRow("L") << "|a\nb\nc" << "L" << "a\nb\n|c" << cmd;

    // Operators.
    QTest::newRow("dw") << "|foo bar" << "dw" << "|bar" << cmd;
    QTest::newRow("dw on a line's last word keeps the line break") << "a |foo\nbar" << "dw" << "a| \nbar" << cmd;
    QTest::newRow("2dw") << "|a b c" << "2dw" << "|c" << cmd;
    QTest::newRow("d2w") << "|a b c" << "d2w" << "|c" << cmd;
    QTest::newRow("cw keeps the blank after the word") << "|foo bar" << "cwxy\x1b" << "x|y bar" << cmd;
    QTest::newRow("de") << "|foo bar" << "de" << "| bar" << cmd;
    QTest::newRow("db") << "foo ba|r" << "db" << "foo |r" << cmd;
    QTest::newRow("D") << "a|bc\nd" << "D" << "|a\nd" << cmd;
    QTest::newRow("C") << "a|bc" << "Cx\x1b" << "a|x" << cmd;
    QTest::newRow("dd") << "a\n|b\nc" << "dd" << "a\n|c" << cmd;
    QTest::newRow("3dd") << "|a\nb\nc\nd" << "3dd" << "|d" << cmd;
    QTest::newRow("dd on the last line") << "a\n|b" << "dd" << "|a" << cmd;
    QTest::newRow("dd lands on the first non-blank") << "|a\n  b" << "dd" << "  |b" << cmd;
    QTest::newRow("a huge dd stops at the last line") << "a\n|b\nc" << "99999dd" << "|a" << cmd;
    QTest::newRow("dj") << "|a\nb\nc" << "dj" << "|c" << cmd;
    QTest::newRow("dk on the first line does nothing") << "|a\nb" << "dk" << "|a\nb" << cmd;
    QTest::newRow("dG") << "a\n|b\nc" << "dG" << "|a" << cmd;
    QTest::newRow("dgg empties the document") << "a\nb\n|c" << "dgg" << "|" << cmd;
    QTest::newRow("df") << "|a,b,c" << "df," << "|b,c" << cmd;
    QTest::newRow("dt") << "|ab,c" << "dt," << "|,c" << cmd;
    QTest::newRow("d%") << "x|(a)y" << "d%" << "x|y" << cmd;
    QTest::newRow("yy p") << "|ab\ncd" << "yyp" << "ab\n|ab\ncd" << cmd;
    QTest::newRow("yw P") << "|foo bar" << "ywP" << "|foo foo bar" << cmd;
    QTest::newRow("cc keeps the indentation") << "  a|b\nc" << "ccx\x1b" << "  |x\nc" << cmd;
    QTest::newRow("S") << "  a|b\nc" << "Sx\x1b" << "  |x\nc" << cmd;
    QTest::newRow("s") << "a|bc" << "sx\x1b" << "a|xc" << cmd;
    QTest::newRow("r") << "a|bc" << "rx" << "a|xc" << cmd;
    QTest::newRow("3r") << "|abcd" << "3rx" << "xx|xd" << cmd;
    QTest::newRow("r past the line end does nothing") << "|ab" << "3rx" << "|ab" << cmd;
    QTest::newRow("J") << "|a\n  b" << "J" << "a| b" << cmd;
    QTest::newRow("3J") << "|a\nb\nc" << "3J" << "a b| c" << cmd;
    QTest::newRow("~") << "|abC" << "3~" << "AB|c" << cmd;
    QTest::newRow("g~w") << "|ab cd" << "g~w" << "|AB cd" << cmd;
    QTest::newRow("gUU") << "a|b\ncd" << "gUU" << "|AB\ncd" << cmd;
    QTest::newRow(">>") << "|a\nb" << ">>" << "\t|a\nb" << cmd;
    QTest::newRow("2>>") << "|a\nb" << "2>>" << "\t|a\n\tb" << cmd;
    QTest::newRow(">j") << "|a\nb" << ">j" << "\t|a\n\tb" << cmd;
    QTest::newRow("<<") << "\t|a" << "<<" << "|a" << cmd;
    QTest::newRow("named register") << "|a\nb" << "\"ayyj\"ap" << "a\nb\n|a" << cmd;
    QTest::newRow("capital register appends") << "|a\nb" << "\"ayyj\"Ayy\"ap" << "a\nb\n|a\nb" << cmd;
    QTest::newRow("black hole keeps the unnamed register") << "|a\nb" << "yyj\"_ddP" << "|a\na" << cmd;
    QTest::newRow("system clipboard") << "|ab" << "\"+yy\"+p" << "ab\n|ab" << cmd;

    // `.` repeats the last change with its count and typed text.
    QTest::newRow(". after x") << "|abcd" << "x.." << "|d" << cmd;
    QTest::newRow(". after 3x") << "|abcdefg" << "3x." << "|g" << cmd;
    QTest::newRow("a count for . replaces the old one") << "|abcd" << "x2." << "|d" << cmd;
    QTest::newRow(". after dw") << "|a b c" << "dw." << "|c" << cmd;
    QTest::newRow(". after dd") << "|a\nb\nc" << "dd." << "|c" << cmd;
    QTest::newRow(". after cw types the text again") << "|a b" << "cwx\x1bw." << "x |x" << cmd;
    QTest::newRow(". after A") << "|a\nb" << "A!\x1bj." << "a!\nb|!" << cmd;
    QTest::newRow(". after o") << "|a" << "ox\x1b." << "a\nx\n|x" << cmd;
    QTest::newRow(". after r") << "|abc" << "rxl." << "x|xc" << cmd;
    QTest::newRow("a count before i repeats the text") << "|" << "3ia\x1b" << "aa|a" << cmd;
    QTest::newRow("yank is no change for .") << "|abc" << "xyl." << "|c" << cmd;

    // Text objects.
    QTest::newRow("diw") << "foo b|ar baz" << "diw" << "foo | baz" << cmd;
    QTest::newRow("daw") << "foo b|ar baz" << "daw" << "foo |baz" << cmd;
    QTest::newRow("daw at the line end takes the blank before") << "foo b|ar" << "daw" << "fo|o" << cmd;
    QTest::newRow("ciw") << "a f|oo b" << "ciwx\x1b" << "a |x b" << cmd;
    QTest::newRow("diW") << "a f.o|o b" << "diW" << "a | b" << cmd;
    QTest::newRow("di\"") << "x=\"a|bc\" y" << "di\"" << "x=\"|\" y" << cmd;
    QTest::newRow("da\"") << "x=\"a|bc\" y" << "da\"" << "x=|y" << cmd;
    QTest::newRow("ci\" from before the quotes") << "|x=\"abc\"" << "ci\"q\x1b" << "x=\"|q\"" << cmd;
    QTest::newRow("di'") << "'a|b'" << "di'" << "'|'" << cmd;
    QTest::newRow("di(") << "f(a, |b)" << "di(" << "f(|)" << cmd;
    QTest::newRow("da(") << "f(a|)x" << "da(" << "f|x" << cmd;
    QTest::newRow("di( across lines") << "f(\n  a|\n)" << "di(" << "f(|)" << cmd;
    QTest::newRow("2di(") << "(a(b|)c)" << "2di(" << "(|)" << cmd;
    QTest::newRow("di{") << "{ a|b }" << "di{" << "{|}" << cmd;
    QTest::newRow("da[") << "x[1|2]" << "da[" << "|x" << cmd;
    QTest::newRow("di<") << "<a hr|ef>" << "di<" << "<|>" << cmd;
    QTest::newRow("dit") << "<p>a|b</p>" << "dit" << "<p>|</p>" << cmd;
    QTest::newRow("cit replaces the content") << "<div><b>x|y</b></div>" << "citz\x1b" << "<div><b>|z</b></div>" << cmd;
    QTest::newRow("2dit") << "<div><b>x|y</b></div>" << "2dit" << "<div>|</div>" << cmd;
    QTest::newRow("dat") << "<div><b>x|y</b>!</div>" << "dat" << "<div>|!</div>" << cmd;
    QTest::newRow("dit across lines past a void element")
            << "<ul>\n<li>a<br>|b</li>\n</ul>" << "dit" << "<ul>\n<li>|</li>\n</ul>" << cmd;
    QTest::newRow("dit on the end tag") << "<p>ab<|/p>" << "dit" << "<p>|</p>" << cmd;
    QTest::newRow("dit outside any element") << "|text <br>" << "dit" << "|text <br>" << cmd;
    QTest::newRow("dit skips an element left open inside")
            << "<div><p>a|b</div>" << "dit" << "<div>|</div>" << cmd;

    // Visual modes.
    const int vis = ViEngine::VisualMode;
    const int visLine = ViEngine::VisualLineMode;
    QTest::newRow("v shows the character under the cursor") << "|abc" << "vl" << "^ab|c" << vis;
    QTest::newRow("V shows whole lines") << "a|b\ncd" << "V" << "^ab|\ncd" << visLine;
    QTest::newRow("vld") << "|abcd" << "vld" << "|cd" << cmd;
    QTest::newRow("vjd") << "a|bc\nde" << "vjd" << "|a" << cmd;
    QTest::newRow("Vd") << "a\n|b\nc" << "Vd" << "a\n|c" << cmd;
    QTest::newRow("Vjd") << "|a\nb\nc" << "Vjd" << "|c" << cmd;
    QTest::newRow("vey P") << "|foo bar" << "veyP" << "|foofoo bar" << cmd;
    QTest::newRow("vc") << "|abc" << "vlcx\x1b" << "|xc" << cmd;
    QTest::newRow("v~") << "|abc" << "vl~" << "|ABc" << cmd;
    QTest::newRow("V>") << "|a\nb" << "Vj>" << "\t|a\n\tb" << cmd;
    QTest::newRow("o swaps the ends") << "ab|cd" << "vlohd" << "|a" << cmd;
    QTest::newRow("viw") << "a b|cd e" << "viwd" << "a | e" << cmd;
    QTest::newRow("vit") << "<p>a|b</p>" << "vitd" << "<p>|</p>" << cmd;
    QTest::newRow("Escape leaves the cursor where it was") << "|abc" << "vl\x1b" << "a|bc" << cmd;
    QTest::newRow("p replaces the selection") << "|ab cd" << "yiwwviwp" << "ab |ab" << cmd;
    QTest::newRow("VJ") << "|a\nb\nc" << "VjjJ" << "a b| c" << cmd;
    QTest::newRow("v then V") << "|ab\ncd" << "vVjd" << "|" << cmd;
    // `.` after a visual change: as much again from the cursor.
    QTest::newRow(". after vld: as many characters") << "|abcdef" << "vld." << "|ef" << cmd;
    QTest::newRow(". after vjd: as many lines, to the same column")
            << "ab|cd\nefgh\nijkl\nmnop" << "vjd." << "ab|l\nmnop" << cmd;
    QTest::newRow(". after Vjd: as many lines") << "|a\nb\nc\nd\ne" << "Vjd." << "|e" << cmd;
    QTest::newRow(". after vc types the text again") << "|abcdef" << "vlcX\x1bl." << "X|Xef" << cmd;
    QTest::newRow(". after V>") << "|a\nb\nc" << "V>j." << "\ta\n\t|b\nc" << cmd;
    QTest::newRow(". after v~") << "|abcd" << "vl~ll." << "AB|CD" << cmd;
    QTest::newRow(". after vr") << "|abcd" << "vlrxll." << "xx|xx" << cmd;
    QTest::newRow(". after VJ") << "|a\nb\nc\nd" << "VjJj." << "a b\nc| d" << cmd;
    QTest::newRow("a visual yank is no change for .") << "|abcd" << "xvly." << "|cd" << cmd;

    // Search.
    QTest::newRow("/") << "|ab cd ab" << "/ab\r" << "ab cd |ab" << cmd;
    QTest::newRow("/ with a regular expression") << "|x a1 b22" << "/b\\d+\r" << "x a1 |b22" << cmd;
    QTest::newRow("?") << "ab cd |ab" << "?ab\r" << "|ab cd ab" << cmd;
    QTest::newRow("n") << "|ab ab ab" << "/ab\rn" << "ab ab |ab" << cmd;
    QTest::newRow("N") << "|ab ab ab" << "/ab\rN" << "|ab ab ab" << cmd;
    QTest::newRow("search wraps around") << "ab |cd ab" << "/cd\r" << "ab |cd ab" << cmd;
    QTest::newRow("a huge count for n ends at once") << "|ab ab ab" << "/ab\r99999999n" << "ab ab |ab" << cmd;
    QTest::newRow("d/") << "|ab cd ef" << "d/ef\r" << "|ef" << cmd;
    QTest::newRow("*") << "|foo bar foo" << "*" << "foo bar |foo" << cmd;
    QTest::newRow("* takes whole words") << "|foo foobar foo" << "*" << "foo foobar |foo" << cmd;
    QTest::newRow("#") << "foo bar |foo" << "#" << "|foo bar foo" << cmd;
    QTest::newRow("not found stays") << "|abc" << "/zz\r" << "|abc" << cmd;
    QTest::newRow("a broken expression stays") << "|a(b" << "/(\r" << "|a(b" << cmd;

    // Ex commands.
    QTest::newRow(":N") << "|a\nb\n  c\nd" << ":3\r" << "a\nb\n  |c\nd" << cmd;
    QTest::newRow(":N past the end") << "|a\nb" << ":99\r" << "a\n|b" << cmd;
    QTest::newRow(":s") << "|a a\na a" << ":s/a/b/\r" << "|b a\na a" << cmd;
    QTest::newRow(":s g") << "|a a\na a" << ":s/a/b/g\r" << "|b b\na a" << cmd;
    QTest::newRow(":%s") << "|a a\na a" << ":%s/a/b/g\r" << "b b\n|b b" << cmd;
    QTest::newRow(":%s with a regular expression") << "|x1 y22" << ":%s/\\d+/N/g\r" << "|xN yN" << cmd;
    QTest::newRow(":N,Ms") << "a\n|a\na\na" << ":2,3s/a/b/\r" << "a\nb\n|b\na" << cmd;
    QTest::newRow(":.,$s") << "a\n|a\na" << ":.,$s/a/b/\r" << "a\nb\n|b" << cmd;
    QTest::newRow(":s with another delimiter") << "|a/b" << ":s#/#-#\r" << "|a-b" << cmd;
    QTest::newRow(":s on the visual lines") << "|a\na\na" << "Vj:s/a/b/\r" << "b\n|b\na" << cmd;
    QTest::newRow(":s not found") << "|ab" << ":s/z/y/\r" << "|ab" << cmd;
    QTest::newRow("unknown command") << "|ab" << ":frob\r" << "|ab" << cmd;
}

void TestViEngine::commands()
{
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QString, after);
    QFETCH(int, mode);
    Fixture f(before);
    f.type(keys);
    QCOMPARE(cursorMarked(*f.view), after);
    QCOMPARE(int(f.engine.mode()), mode);
    QCOMPARE(f.engine.repeatCount(), 0);
    QCOMPARE(int(f.engine.pendingPrefix()), 0);
}

void TestViEngine::commandLineOutcome_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("request");  // -1: none
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("message");  // the last status message

    QTest::newRow(":w") << ":w\r" << int(ViEngine::Write) << "" << "";
    QTest::newRow(":q") << ":q\r" << int(ViEngine::Quit) << "" << "";
    QTest::newRow(":q!") << ":q!\r" << int(ViEngine::ForceQuit) << "" << "";
    QTest::newRow(":wq") << ":wq\r" << int(ViEngine::WriteQuit) << "" << "";
    QTest::newRow(":x") << ":x\r" << int(ViEngine::WriteIfModifiedQuit) << "" << "";
    QTest::newRow(":e") << ":e sub/b.html\r" << int(ViEngine::Edit) << "sub/b.html" << "";
    QTest::newRow(":e without a name") << ":e\r" << -1 << "" << "No file name";
    QTest::newRow(":w with a name is not taken for :w") << ":w other\r" << -1 << ""
                                                         << "Not an editor command: w other";
    QTest::newRow("unknown command") << ":frob\r" << -1 << "" << "Not an editor command: frob";
    QTest::newRow("substitute without replacement") << ":s/z\r" << -1 << "" << "Pattern not found: z";
    QTest::newRow("substitute flags") << ":s/a/b/z\r" << -1 << "" << "Not an editor command: s/a/b/z";
    QTest::newRow(":%s reports its count") << ":%s/a/b/g\r" << -1 << "" << "3 substitutions";
    QTest::newRow("pattern not found") << "/zz\r" << -1 << "" << "Pattern not found: zz";
    QTest::newRow("n without a search") << "n" << -1 << "" << "No previous search pattern";
    QTest::newRow("a count is limited") << "99999999999x" << -1 << "" << "Count limited to 1000000";
}

void TestViEngine::commandLineOutcome()
{
    QFETCH(QString, keys);
    QFETCH(int, request);
    QFETCH(QString, argument);
    QFETCH(QString, message);
    Fixture f(QStringLiteral("|a a\na"));
    QSignalSpy requests(&f.engine, &ViEngine::windowRequest);
    QSignalSpy messages(f.view, &EditViewBase::showMessage);
    f.type(keys);
    QCOMPARE(requests.size(), request < 0 ? 0 : 1);
    if (request >= 0) {
        QCOMPARE(requests.at(0).at(1).toInt(), request);
        QCOMPARE(requests.at(0).at(2).toString(), argument);
    }
    QCOMPARE(messages.isEmpty() ? QString() : messages.last().at(0).toString(), message);
}

void TestViEngine::undoAndRedoCounts_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("after");  // text only

    QTest::newRow("5u undoes five deletes") << "|abcdefg" << "xxxxxx5u" << "bcdefg";
    QTest::newRow("u undoes one") << "|abc" << "xxu" << "bc";
    QTest::newRow("a paste is one step") << "a|b\ncd" << "Ypxu" << "ab\nab\ncd";
    QTest::newRow("2u after a linewise paste and a delete") << "a|b\ncd" << "Ypx2u" << "ab\ncd";
    QTest::newRow("U redoes") << "|abcd" << "xxx3u2U" << "cd";
    QTest::newRow("a huge undo count stops at the start") << "|abc" << "xx99999999999u" << "abc";
    QTest::newRow("a huge redo count stops at the end") << "|abc" << "xx2u99999999999U" << "c";
    QTest::newRow(":%s is one step") << "|a a\na" << ":%s/a/b/g\ru" << "a a\na";
    QTest::newRow(". is one step") << "|a b c" << "d2w.u" << "c";
    QTest::newRow("cw and its text are one step") << "|ab cd" << "cwx\x1bu" << "ab cd";
    QTest::newRow("redo of that step") << "|ab cd" << "cwxy\x1buU" << "xy cd";
    QTest::newRow("undo after the step") << "|ab cd" << "cwx\x1bxuu" << "ab cd";
}

void TestViEngine::undoAndRedoCounts()
{
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QString, after);
    Fixture f(before);
    f.view->document()->clearUndoRedoStacks();
    f.type(keys);
    QCOMPARE(f.view->toPlainText(), after);
}

void TestViEngine::yankBufferState_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<bool>("linewise");

    QTest::newRow("x") << "a|bc" << "x" << "b" << false;
    QTest::newRow("3X") << "abc|d" << "3X" << "abc" << false;
    QTest::newRow("2Y joins with line feeds, no final one") << "|ab\n\tcd\nef" << "2Y" << "ab\n\tcd" << true;
    QTest::newRow("Y of an empty line") << "ab\n|\ncd" << "Y" << "" << true;
    QTest::newRow("Y then x") << "|ab" << "Yx" << "a" << false;
    QTest::newRow("x then Y") << "|ab" << "xY" << "b" << true;
    QTest::newRow("X at column 0 keeps the buffer") << "|ab" << "lxhX" << "b" << false;
    QTest::newRow("x at a line end keeps the lines yanked") << "|ab\n" << "Yjx" << "ab" << true;
    QTest::newRow("X at column 0 keeps the lines yanked") << "|ab\ncd" << "2YX" << "ab\ncd" << true;
    QTest::newRow("Y does not move the cursor, p pastes") << "|ab" << "Y" << "ab" << true;
}

void TestViEngine::yankBufferState()
{
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QString, buffer);
    QFETCH(bool, linewise);
    Fixture f(before);
    const int cursorBefore = f.view->textCursor().position();
    f.engine.processKeys(keys, f.view);
    QCOMPARE(f.engine.yankBuffer(), buffer);
    QCOMPARE(f.engine.linewise(), linewise);
    if (!keys.contains(QLatin1Char('x')) && !keys.contains(QLatin1Char('X')))
        QCOMPARE(f.view->textCursor().position(), cursorBefore);
}

void TestViEngine::deleteTakesSelection()
{
    Fixture f(QStringLiteral("ab|cd\nef"));
    QTextCursor c = f.view->textCursor();
    c.setPosition(1);
    c.setPosition(6, QTextCursor::KeepAnchor);
    f.view->setTextCursor(c);
    // The count does not matter while something is selected.
    f.engine.processKeys(QStringLiteral("1X"), f.view);
    QCOMPARE(f.view->toPlainText(), QStringLiteral("af"));
    QCOMPARE(f.engine.yankBuffer(), QStringLiteral("bcd\ne"));
    QVERIFY(!f.engine.linewise());
    f.engine.processKeys(QStringLiteral("P"), f.view);
    QCOMPARE(f.view->toPlainText(), QStringLiteral("abcd\nef"));
}

void TestViEngine::countAndPrefixState_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("prefix");

    QTest::newRow("digits build a count") << "12" << 12 << 0;
    QTest::newRow("0 inside a count") << "1000" << 1000 << 0;
    QTest::newRow("0 alone is a motion") << "0" << 0 << 0;
    QTest::newRow("g keeps the count") << "3g" << 3 << int('g');
    QTest::newRow("g alone counts once") << "g" << 1 << int('g');
    QTest::newRow("a long run of digits is clamped")
            << "99999999999999999999" << ViEngine::MaxRepeatCount << 0;
    QTest::newRow("gg clears both") << "3gg" << 0 << 0;
    QTest::newRow("a command clears the count") << "7l" << 0 << 0;
}

void TestViEngine::countAndPrefixState()
{
    QFETCH(QString, keys);
    QFETCH(int, count);
    QFETCH(int, prefix);
    Fixture f(QStringLiteral("ab|cdefghijkl"));
    f.engine.processKeys(keys, f.view);
    QCOMPARE(f.engine.repeatCount(), count);
    QCOMPARE(int(f.engine.pendingPrefix()), prefix);
}

void TestViEngine::stateSharedByViews()
{
    Fixture f(QStringLiteral("|first\nline"));
    EditViewBase other(&f.settings, &f.engine);
    other.setPlainText(QStringLiteral("abcdefgh"));

    f.engine.processKeys(QStringLiteral("Y"), f.view);
    f.engine.processKeys(QStringLiteral("3"), f.view);
    // The count typed in one view applies in the other.
    f.engine.processKeys(QStringLiteral("x"), &other);
    QCOMPARE(other.toPlainText(), QStringLiteral("defgh"));
    QCOMPARE(f.view->toPlainText(), QStringLiteral("first\nline"));
    QCOMPARE(f.engine.yankBuffer(), QStringLiteral("abc"));

    f.engine.processKeys(QStringLiteral("2Y"), f.view);
    f.engine.processKeys(QStringLiteral("P"), &other);
    QCOMPARE(other.toPlainText(), QStringLiteral("first\nline\ndefgh"));
}

void TestViEngine::moveCursorOperations_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("keepAnchor");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("anchor");

    QTest::newRow("left in line by 2") << "ab\ncd|e" << int(ViEngine::LeftInLine) << 2 << false << true << 3 << 3;
    QTest::newRow("left in line stops at column 0")
            << "ab\ncd|e" << int(ViEngine::LeftInLine) << 5 << false << true << 3 << 3;
    QTest::newRow("right in line may reach the line end")
            << "a|bc\nd" << int(ViEngine::RightInLine) << 5 << false << true << 3 << 3;
    QTest::newRow("right in line with the anchor kept")
            << "a|bc" << int(ViEngine::RightInLine) << 1 << true << true << 2 << 1;
    QTest::newRow("first non-blank") << "x\n \t y|z" << int(ViEngine::FirstNonBlank) << 1 << false << true << 5 << 5;
    QTest::newRow("first non-blank of a blank line is its end")
            << "x\n|   " << int(ViEngine::FirstNonBlank) << 1 << false << true << 5 << 5;
    QTest::newRow("word start selects the word before the cursor")
            << "a.foo_Bar9|x" << int(ViEngine::WordStart) << 1 << true << true << 2 << 10;
    QTest::newRow("word start stops at characters beyond Latin-1")
            << QStringLiteral("x\u3042ab|") << int(ViEngine::WordStart) << 1 << true << true << 2 << 4;
    QTest::newRow("word start accepts Latin-1 letters")
            << QStringLiteral("- \u00e9t\u00e9|") << int(ViEngine::WordStart) << 1 << false << true << 2 << 2;
    QTest::newRow("word start stays within its line")
            << "ab\n|cd" << int(ViEngine::WordStart) << 1 << false << true << 3 << 3;
}

void TestViEngine::moveCursorOperations()
{
    QFETCH(QString, before);
    QFETCH(int, op);
    QFETCH(int, n);
    QFETCH(bool, keepAnchor);
    QFETCH(bool, result);
    QFETCH(int, position);
    QFETCH(int, anchor);
    Fixture f(before);
    QTextCursor c = f.view->textCursor();
    QCOMPARE(ViEngine::moveCursor(c, op, keepAnchor ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor, n),
             result);
    if (position >= 0) {
        QCOMPARE(c.position(), position);
        QCOMPARE(c.anchor(), anchor);
    }
}

void TestViEngine::moveLinesAgreesWithQtVerticalMoves_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("n");

    QTest::newRow("down one") << "ab|c\nxyzw" << 1;
    QTest::newRow("up one") << "abc\nxy|zw" << -1;
    QTest::newRow("tab before the cursor") << "\tab|c\nabcdefghijklmnopqrstuvwxyz" << 1;
    QTest::newRow("onto a tab") << "abcdefghijk|lmnop\nx\ty" << 1;
    QTest::newRow("wide characters") << QStringLiteral("ab|c\n\u3042\u3044\u3046\u3048") << 1;
    QTest::newRow("to a shorter line") << "abcdef|g\nab\ncd" << 2;
    QTest::newRow("from the line end") << "x\nabc|" << -1;
    QTest::newRow("too far down") << "a|b\ncd" << 2;
    QTest::newRow("too far up") << "ab\nc|d" << -2;
}

void TestViEngine::moveLinesAgreesWithQtVerticalMoves()
{
    QFETCH(QString, before);
    QFETCH(int, n);
    Fixture f(before);
    QTextCursor ours = f.view->textCursor();
    QTextCursor qts = f.view->textCursor();
    const bool qtResult = qts.movePosition(n > 0 ? QTextCursor::Down : QTextCursor::Up,
                                           QTextCursor::MoveAnchor, qAbs(n));
    QCOMPARE(ViEngine::moveLines(ours, n), qtResult);
    if (qtResult)
        QCOMPARE(ours.position(), qts.position());
    else
        QCOMPARE(ours.position(), f.view->textCursor().position());
}

void TestViEngine::clampToLine_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("moved");
    QTest::addColumn<int>("position");

    QTest::newRow("past the last character") << "abc|\nd" << true << 2;
    QTest::newRow("on the last character") << "ab|c\nd" << false << 2;
    QTest::newRow("empty line") << "abc\n|\nd" << false << 4;
    QTest::newRow("column 0 of a line") << "abc\n|d" << false << 4;
    QTest::newRow("end of the document") << "ab\ncd|" << true << 4;
}

void TestViEngine::clampToLine()
{
    QFETCH(QString, before);
    QFETCH(bool, moved);
    QFETCH(int, position);
    Fixture f(before);
    QTextCursor c = f.view->textCursor();
    QCOMPARE(ViEngine::clampToLine(c), moved);
    QCOMPARE(c.position(), position);
}

void TestViEngine::modeChangeGuard_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("emissions");

    QTest::newRow("command to insert") << int(ViEngine::CommandMode) << int(ViEngine::InsertMode) << 1;
    QTest::newRow("insert to command") << int(ViEngine::InsertMode) << int(ViEngine::CommandMode) << 1;
    QTest::newRow("same mode is no change") << int(ViEngine::InsertMode) << int(ViEngine::InsertMode) << 0;
}

void TestViEngine::modeChangeGuard()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, emissions);
    ViEngine engine;
    engine.setMode(uchar(from));
    QList<std::pair<int, bool>> seen;  // mode and guard flag as a receiver sees them
    // A receiver that reacts the way the input-method notification does:
    // leave command mode unless the engine is announcing a change.
    connect(&engine, &ViEngine::modeChanged, &engine, [&](uchar m) {
        seen.append({engine.mode(), engine.inModeChange()});
        QCOMPARE(int(m), to);
        if (engine.mode() == ViEngine::CommandMode && !engine.inModeChange())
            engine.setMode(ViEngine::InsertMode);
    });
    engine.setMode(uchar(to));
    QCOMPARE(seen.size(), emissions);
    for (const auto &s : seen) {
        QCOMPARE(s.first, to);
        QVERIFY(s.second);
    }
    QCOMPARE(int(engine.mode()), to);
    QVERIFY(!engine.inModeChange());
}

QTEST_MAIN(TestViEngine)
#include "tst_viengine.moc"
