#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>

#include "view/TextView.h"
#include "widgets/UserError.h"
#include "helpers/TestSupport.h"
#include "platform/Cp932.h"
#include "platform/DocumentBytes.h"
#include "platform/TextEncoding.h"

using namespace oruvan;
using namespace oruvan::test;

Q_DECLARE_METATYPE(std::string)

namespace QTest {
// Failures show the bytes, escaped where they are not printable ASCII.
template <>
char* toString(const std::string& s) {
    QByteArray out;
    for (std::size_t i = 0; i < std::min<std::size_t>(s.size(), 200); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        out +=
            c >= 0x20 && c < 0x7F ? QByteArray(1, static_cast<char>(c)) : "\\x" + QByteArray::number(c, 16);
    }
    if (s.size() > 200) out += "...";
    return qstrdup(out.constData());
}
}  // namespace QTest

namespace {

using Sci = QsciScintillaBase;

// Every CR LF, lone CR and lone LF as CR LF: the text the view's positions count.
std::string crlf(std::string_view in) {
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '\r' || in[i] == '\n') {
            out += "\r\n";
            if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n') ++i;
        } else {
            out += in[i];
        }
    }
    return out;
}

bool isTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// An independent model of a cp932 text with CR LF breaks: line starts and where a caret may stand.
struct Model {
    std::string text;
    std::vector<int> starts;     // every line, the empty one after a last break included
    std::vector<bool> boundary;  // text.size() + 1 entries
    explicit Model(std::string t) : text(std::move(t)), boundary(text.size() + 1, true) {
        starts.push_back(0);
        for (std::size_t i = 0; i < text.size();) {
            const auto b = static_cast<unsigned char>(text[i]);
            if (b == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                boundary[i + 1] = false;
                starts.push_back(static_cast<int>(i + 2));
                i += 2;
            } else if (IsLeadByte(b) && i + 1 < text.size() &&
                       isTrail(static_cast<unsigned char>(text[i + 1])) && b != 0x85 &&
                       b != 0x86) {  // rows 0x85 and 0x86 hold no characters: two raw bytes
                boundary[i + 1] = false;
                i += 2;
            } else {
                ++i;
            }
        }
    }
    int lineOf(int p) const {
        return static_cast<int>(std::upper_bound(starts.begin(), starts.end(), p) - starts.begin()) - 1;
    }
    int lineCount() const {
        return static_cast<int>(starts.size()) - (starts.back() == static_cast<int>(text.size()) ? 1 : 0);
    }
    std::string line(int n) const {
        const int end =
            n + 1 < static_cast<int>(starts.size()) ? starts[n + 1] - 2 : static_cast<int>(text.size());
        return text.substr(starts[n], end - starts[n]);
    }
};

long sci(const TextView& v, unsigned msg, unsigned long w = 0, long l = 0) {
    return v.SendScintilla(msg, w, l);
}

QString representation(const TextView& v, const std::string& key) {
    char buf[32] = {};
    v.SendScintilla(Sci::SCI_GETREPRESENTATION, key.c_str(), buf);
    return QString::fromLatin1(buf);
}

// Selects from cp932 offset a to b through the view's own positions.
void select(TextView& v, int a, int b) {
    v.SetSelStart(a);
    const long ua = sci(v, Sci::SCI_GETCURRENTPOS);
    v.SetSelStart(b);
    const long ub = sci(v, Sci::SCI_GETCURRENTPOS);
    sci(v, Sci::SCI_SETSEL, static_cast<unsigned long>(ua), ub);
}

void typeText(QWidget* w, const QString& text) {
    QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, text, Qt::NoModifier);
}

std::string generateDocument(std::size_t bytes) {
    std::string out;
    out.reserve(bytes + 256);
    const std::string jp = Sjis("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。");
    for (int n = 0; out.size() < bytes; ++n) {
        if (n % 50 == 0) out += Sjis("■第") + std::to_string(n / 50) + Sjis("章") + "\r\n";
        out += jp.substr(0, static_cast<std::size_t>(n % 60) & ~std::size_t{1});
        out += " line " + std::to_string(n) + "\r\n";
    }
    return out;
}

}  // namespace

class TextViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TextView> m_view;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString write(const QString& name, const std::string& bytes) const {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write test file");
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path(name);
    }
    std::string read(const QString& p) const {
        QFile f(p);
        if (!f.open(QIODevice::ReadOnly)) return "<missing>";
        const QByteArray b = f.readAll();
        return std::string(b.constData(), static_cast<std::size_t>(b.size()));
    }
    TextView& view() { return *m_view; }
    // Read as cp932, whatever the bytes look like.
    void load(const std::string& bytes, std::optional<Encoding> encoding = Encoding::ShiftJis) {
        m_view->LoadFromFile(write(QStringLiteral("in.txt"), bytes), encoding);
    }
    std::string saved() {
        m_view->SaveToFile(path(QStringLiteral("out.txt")));
        return read(path(QStringLiteral("out.txt")));
    }
    // Waits for the view's background wrapping to finish: the row count stops changing.
    void settle() {
        long previous = -1;
        for (int stable = 0, i = 0; stable < 3 && i < 100; ++i) {
            QTest::qWait(10);
            const long last = sci(view(), Sci::SCI_GETLINECOUNT) - 1;
            const long rows = sci(view(), Sci::SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(last)) +
                              sci(view(), Sci::SCI_WRAPCOUNT, static_cast<unsigned long>(last));
            stable = rows == previous ? stable + 1 : 0;
            previous = rows;
        }
    }

private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_view = std::make_unique<TextView>();
        m_view->SetFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 10));
        m_view->resize(320, 200);
        m_view->show();
        m_view->activateWindow();
        m_view->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    void cleanup() {
        m_view.reset();
        m_dir.reset();
    }

    // Ordinary text is drawn pixel for pixel as Debian's own QScintilla drew it: the sample document, and
    // lines of Japanese, Latin, emoji sequences and combining marks, wrapped and not. The pictures in
    // tests/gui/drawn were drawn with that library; ORUVAN_DRAWN_OUT=FOLDER writes today's there.
    void drawnAsDebiansLibraryDrew_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("wrap");
        QTest::newRow("sample") << QStringLiteral("sample") << false;
        QTest::newRow("mixed") << QStringLiteral("mixed") << false;
        QTest::newRow("mixed wrapped") << QStringLiteral("mixed-wrapped") << true;
    }

    void drawnAsDebiansLibraryDrew() {
        QFETCH(QString, name);
        QFETCH(bool, wrap);
        const QString source = QStringLiteral(ORUVAN_SOURCE_DIR);
        if (name == QLatin1String("sample")) {
            QFile f(source + QStringLiteral("/resources/sample.txt"));
            QVERIFY(f.open(QIODevice::ReadOnly));
            load(f.readAll().toStdString());
        } else {
            load("日本語とLatin、漢字かな交じり文 mixed with words. 全角ＡＢＣ 半角ｶﾀｶﾅ\r\n"
                 "emoji 😀 👍🏽 👨‍👩‍👧 🇯🇵 ☺️ #️⃣ and text after them\r\n"
                 "combining: e\xcc\x81 a\xcc\x88\xcc\x81 か\xe3\x82\x99 葛\xf3\xa0\x84\x80 ﬁ ligature, Ω≈√∞\r\n"
                 "\ttab\tstops\tand  two  spaces, then a long line that wraps when wrapping is on: "
                 "いろはにほへと ちりぬるを わかよたれそ つねならむ うゐのおくやま けふこえて\r\n",
                 Encoding::Utf8);
        }
        view().SetWordWrap(wrap);
        view().resize(480, 300);
        sci(view(), Sci::SCI_SETCARETSTYLE, 0);  // invisible: no blink in the picture
        sci(view(), Sci::SCI_GOTOPOS, 0);
        QTest::qWait(50);
        const QImage drawn = view().grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QByteArray out = qgetenv("ORUVAN_DRAWN_OUT");
        if (!out.isEmpty()) drawn.save(QString::fromLocal8Bit(out) + QLatin1Char('/') + name + QStringLiteral(".png"));
        const QString folder = source + QStringLiteral("/tests/gui/drawn/");
        // Other fonts draw other pixels: the pictures hold only where they were drawn with these.
        const QString families = QFontDatabase::families().join(QLatin1Char('\n')) + QLatin1Char('\n');
        if (!out.isEmpty()) {
            QFile list(QString::fromLocal8Bit(out) + QStringLiteral("/fonts.txt"));
            QVERIFY(list.open(QIODevice::WriteOnly) && list.write(families.toUtf8()) > 0);
        }
        QFile fonts(folder + QStringLiteral("fonts.txt"));
        QVERIFY(fonts.open(QIODevice::ReadOnly));
        if (QString::fromUtf8(fonts.readAll()) != families)
            QSKIP("the pictures were drawn with other fonts than this machine has (tests/gui/drawn/fonts.txt)");
        const QImage before =
            QImage(folder + name + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!before.isNull());
        QCOMPARE(drawn.size(), before.size());
        int differ = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x) differ += drawn.pixel(x, y) != before.pixel(x, y);
        QCOMPARE(differ, 0);
    }

    void offsets_data() {
        QTest::addColumn<std::string>("text");
        QTest::newRow("ascii") << std::string("abc\r\nde\r\n\r\nf");
        QTest::newRow("double-byte") << Sjis("日本語\r\nかな ｶﾅ abc\r\n漢字");
        QTest::newRow("trailing break") << Sjis("あい\r\n");
        QTest::newRow("invalid bytes")
            << std::string("\x80\xA0\xFD\xFE\xFF\r\n\x81 x\r\n\x85\x40\x83\r\n") + Sjis("表") + "\x82";
        QTest::newRow("NUL") << std::string("a\0b\r\n\0", 6);
        QTest::newRow("empty lines") << std::string("\r\n\r\n");
        QTest::newRow("LF breaks") << Sjis("日本語\nかな\n\nabc\n");
        QTest::newRow("CR breaks") << Sjis("日本語\rかな\r\rabc");
        QTest::newRow("mixed breaks") << Sjis("一\r\n二\n三\r\r\n四\n\r五");
    }

    // Every break counts as the two bytes of CR LF, whichever the document holds.
    void offsets() {
        QFETCH(std::string, text);
        const Model m(crlf(text));
        load(text);
        QCOMPARE(view().GetText(), text);
        QCOMPARE(view().LineCount(), m.lineCount());
        std::string lines;
        for (int n = 0; n < m.lineCount(); ++n) {
            QCOMPARE(view().LineAt(n), m.line(n));
            lines += m.line(n) + "\r\n";
        }
        QCOMPARE(view().GetLinesText(), lines);
        for (int n = 0; n < static_cast<int>(m.starts.size()); ++n)
            QCOMPARE(view().LineIndex(n), m.starts[n]);
        const int size = static_cast<int>(m.text.size());
        for (int p = 0; p <= size; ++p) {
            QCOMPARE(view().LineFromChar(p), m.lineOf(p));
            view().SetSelStart(p);
            const int at = m.boundary[p] ? p : p - 1;  // inside a character or a break: just before it
            QCOMPARE(view().SelStart(), at);
            QCOMPARE(view().SelLength(), 0);
            QCOMPARE(view().SelText(), std::string());
            QCOMPARE(view().CaretLine(), m.lineOf(at));
            QCOMPARE(view().CaretColumn(), at - m.starts[m.lineOf(at)]);
            QCOMPARE(view().LineIndex(-1), m.starts[m.lineOf(at)]);
        }
        for (int a = 0; a <= size; ++a) {
            for (int b = a + 1; b <= size; ++b) {
                if (!m.boundary[a] || !m.boundary[b]) continue;
                select(view(), a, b);
                QCOMPARE(view().SelStart(), a);
                QCOMPARE(view().SelLength(), b - a);
                QCOMPARE(view().SelText(), m.text.substr(a, b - a));
                QCOMPARE(view().SelectionStartLine(), m.lineOf(a));
                QCOMPARE(view().SelectionEndLine(), m.lineOf(b));
                QCOMPARE(view().SelectionEndColumn(), b - m.starts[m.lineOf(b)]);
            }
        }
    }

    void lineAtCut_data() {
        QTest::addColumn<std::string>("line");
        QTest::addColumn<int>("cut");
        QTest::newRow("ascii") << std::string(5000, 'a') << 4096;
        QTest::newRow("double-byte across the limit") << std::string(4095, 'a') + Sjis("あい") << 4095;
        QTest::newRow("double-byte ending at the limit") << std::string(4094, 'a') + Sjis("あい") << 4096;
        std::string kanji;
        for (int i = 0; i < 3000; ++i) kanji += Sjis("漢");
        QTest::newRow("all double-byte") << kanji << 4096;
        QTest::newRow("invalid bytes") << std::string(4095, 'a') + "\x80\xFF" << 4096;
        QTest::newRow("exactly the limit") << std::string(4096, 'b') << 4096;
    }

    void lineAtCut() {
        QFETCH(std::string, line);
        QFETCH(int, cut);
        load(line + "\r\nnext");
        QCOMPARE(view().LineCount(), 2);
        QCOMPARE(view().LineAt(0), line.substr(0, static_cast<std::size_t>(cut)));
        QCOMPARE(view().LineAt(1), std::string("next"));
        QCOMPARE(view().GetLinesText(), line.substr(0, static_cast<std::size_t>(cut)) + "\r\nnext\r\n");
        QCOMPARE(view().GetText(), line + "\r\nnext");
        QCOMPARE(view().LineIndex(1), static_cast<int>(line.size()) + 2);
    }

    void lineCount_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<int>("lines");
        QTest::newRow("empty") << std::string() << 0;
        QTest::newRow("one line") << std::string("abc") << 1;
        QTest::newRow("one line and break") << std::string("abc\r\n") << 1;
        QTest::newRow("only a break") << std::string("\r\n") << 1;
        QTest::newRow("empty last line kept once") << std::string("a\r\n\r\n") << 2;
    }

    void lineCount() {
        QFETCH(std::string, text);
        QFETCH(int, lines);
        load(text);
        QCOMPARE(view().LineCount(), lines);
        view().Clear();
        QCOMPARE(view().LineCount(), 0);
        QCOMPARE(view().GetText(), std::string());
    }

    // Any bytes in any encoding come back as read (DocumentBytesTest); here, what the view's own reading
    // adds: a break and a character cut by the 4 MiB pieces the loader reads.
    void roundTrip_data() {
        QTest::addColumn<std::string>("bytes");
        std::string crAtCut(4 << 20, 'a');
        crAtCut[(4 << 20) - 1] = '\r';
        QTest::newRow("CR LF across a read boundary") << crAtCut + "\n\x87\x90\r\nx\xED\x40";
        std::string leadAtCut(4 << 20, 'b');
        leadAtCut[(4 << 20) - 1] = '\x87';
        QTest::newRow("double-byte across a read boundary") << leadAtCut + "\x90\r\n\xFA\x5C\r";
    }

    void roundTrip() {
        QFETCH(std::string, bytes);
        load(bytes);
        QCOMPARE(view().LineCount(), Model(crlf(bytes)).lineCount());
        QVERIFY(saved() == bytes);
        QVERIFY(!view().CanUndo());
        load(bytes, std::nullopt);
        QVERIFY2(saved() == bytes, EncodingName(view().DocumentEncoding()));
    }

    void duplicateCodes() {
        const std::string nec = "\x87\x90";  // ≒ in the NEC row; 0x81E0 is the same character
        const std::string ibm = "\xFA\x5C";  // 纊 in the IBM rows; 0xED40 is the same character
        const std::string necIbm = "\xED\x40";
        const std::string canonNec = Utf8ToCp932(Cp932ToUtf8(nec));
        const std::string canonNecIbm = Utf8ToCp932(Cp932ToUtf8(necIbm));
        QVERIFY(canonNec != nec);
        QVERIFY(canonNecIbm != necIbm);
        const std::string original = nec + "A\r\n" + necIbm + "B\r\n" + nec + "C\r\n" + ibm + "D";
        load(original);
        QVERIFY(saved() == original);

        // Lines moved by an edit elsewhere keep their bytes.
        view().SetSelStart(0);
        QTest::keyClick(&view(), Qt::Key_Return);
        QVERIFY(saved() == "\r\n" + original);
        // Undo takes the LF out before the CR; the CR left alone still ends the line.
        view().Undo();
        QVERIFY(saved() == original);
        view().Redo();
        QVERIFY(saved() == "\r\n" + original);

        // Line 1 (now 2) edited: its code stays, the text typed is written in the document's encoding.
        view().SetSelStart(2 + 5 + 4);
        QTest::keyClick(&view(), Qt::Key_X);
        const std::string typedX = "\r\n" + nec + "A\r\n" + necIbm + "Bx\r\n" + nec + "C\r\n" + ibm + "D";
        QVERIFY(saved() == typedX);
        view().SetSelStart(2 + 2);
        QTest::keyClick(&view(), Qt::Key_Y);
        const std::string typedY = "\r\n" + nec + "yA\r\n" + necIbm + "Bx\r\n" + nec + "C\r\n" + ibm + "D";
        QVERIFY(saved() == typedY);
        QTest::keyClick(&view(), Qt::Key_Backspace);
        QVERIFY(saved() == typedX);
        view().SetSelStart(2 + 5 + 4);
        QTest::keyClick(&view(), Qt::Key_Backspace);
        QVERIFY(saved() == "\r\n" + original);
        view().Undo();
        QVERIFY(saved() == typedX);
        view().Undo();
        QVERIFY(saved() == typedY);
        view().Undo();
        view().Undo();
        QVERIFY(saved() == "\r\n" + original);
        // A code typed anew is written as the document's encoding writes it.
        view().SetSelStart(2 + 2);
        QTest::keyClick(&view(), Qt::Key_Backspace);
        typeText(&view(), QString::fromStdString(Cp932ToUtf8(nec)));
        QVERIFY(saved() == "\r\n" + canonNec + "A\r\n" + necIbm + "B\r\n" + nec + "C\r\n" + ibm + "D");
        view().Undo();
        view().Undo();
        QVERIFY(saved() == "\r\n" + original);

        // Joining two lines: the joined line keeps the codes of both.
        view().SetSelStart(static_cast<int>(view().LineIndex(4)) - 2);
        QTest::keyClick(&view(), Qt::Key_Delete);
        QVERIFY(saved() == "\r\n" + nec + "A\r\n" + necIbm + "B\r\n" + nec + "C" + ibm + "D");

        // Deleting whole lines leaves the lines after them as read; Undo brings back the bytes of those
        // deleted.
        load(original);
        select(view(), 0, view().LineIndex(2));
        view().CutToClipboard();
        QVERIFY(saved() == nec + "C\r\n" + ibm + "D");
        view().Undo();
        QVERIFY(saved() == original);

        // A lone CR and a LF that meet when the text between them goes make one break, and part again
        // when it comes back.
        const std::string parted = nec + "A\rx\n" + nec + "C";
        load(parted);
        select(view(), view().LineIndex(1), view().LineIndex(1) + 1);
        QTest::keyClick(&view(), Qt::Key_Delete);
        QVERIFY(saved() == nec + "A\r\n" + nec + "C");
        view().Undo();
        QVERIFY(saved() == parted);

        load(original);
        // A break style converted leaves every line's bytes.
        view().SetBreakStyle(LineBreak::Lf);
        QVERIFY(saved() == nec + "A\n" + necIbm + "B\n" + nec + "C\n" + ibm + "D");
        view().Undo();
        QVERIFY(saved() == original);
        const std::string crOnly = nec + "A\r" + necIbm + "B\r" + nec + "C\r" + ibm + "D";
        view().SetBreakStyle(LineBreak::Cr);
        QVERIFY(saved() == crOnly);
        view().SetBreakStyle(LineBreak::CrLf);
        QVERIFY(saved() == original);
        view().Undo();
        QVERIFY(saved() == crOnly);
    }

    // Characters read with a code their text does not give back keep it through edits that leave them
    // alone, in the save and in the recovery copy: the edit is a list of keys at (line, column; -1 for
    // the line's end), "Undo" and "Redo" run as the menu runs them, anything else is typed.
    void keptCodesThroughEdits_data() {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<std::string>("expected");
        const auto row = [](const char* name, Encoding e, const std::string& bytes, int line, int column,
                            const char* keys, const std::string& expected) {
            QTest::newRow(name) << int(e) << bytes << line << column << QString::fromLatin1(keys) << expected;
        };
        const Encoding sjis = Encoding::ShiftJis;
        // 0xED40 and 0x8790 give the same characters as 0xFA5C and 0x81E0, which a save writes.
        const std::string ed40 = "\xED\x40", n8790 = "\x87\x90";
        row("edit elsewhere on the line keeps ED 40", sjis, ed40 + "A\r\nB", 0, -1, "x", ed40 + "Ax\r\nB");
        row("text typed between two codes keeps both", sjis, n8790 + ed40 + "\r\n", 0, 2, "x",
            n8790 + "x" + ed40 + "\r\n");
        row("the same code twice, text typed between", sjis, ed40 + ed40, 0, 2, "x", ed40 + "x" + ed40);
        row("Delete+Undo at the end of the line above keeps ED 40", sjis, "A\r\n" + ed40 + "B\r\nC", 0, -1,
            "Delete Undo", "A\r\n" + ed40 + "B\r\nC");
        row("Delete+Undo between a line ending and a line starting with a code", sjis,
            "A" + ed40 + "\r\n" + n8790 + "B", 0, -1, "Delete Undo", "A" + ed40 + "\r\n" + n8790 + "B");
        row("Backspace+Undo at a line start keeps both lines' codes", sjis, n8790 + "\r\n" + n8790, 1, 0,
            "Backspace Undo", n8790 + "\r\n" + n8790);
        row("lines joined keep their codes", sjis, n8790 + "A\r\n" + ed40 + "B", 0, -1, "Delete",
            n8790 + "A" + ed40 + "B");
        row("Enter between two codes keeps both", sjis, n8790 + ed40, 0, 2, "Return", n8790 + "\r\n" + ed40);
        row("a code deleted comes back with Undo", sjis, "x" + ed40 + "y", 0, 3, "Backspace Undo",
            "x" + ed40 + "y");
        row("a code deleted, undone, redone and undone", sjis, "x" + ed40 + "y", 0, 3,
            "Backspace Undo Redo Undo", "x" + ed40 + "y");
        row("a character replaced takes the new one's code", sjis, "x" + ed40 + "y", 0, 3, "Backspace z",
            "xzy");
        row("EUC-JP: edit elsewhere on the line keeps AD F0", Encoding::EucJp,
            "\xAD\xF0"
            "A\nB",
            0, -1, "x",
            "\xAD\xF0"
            "Ax\nB");
        const Encoding iso = Encoding::Iso2022Jp;
        const std::string jis0212 = "\x1B$(D\x30\x21\x1B(B";  // a character JIS X 0208 lacks
        row("ISO-2022-JP JIS X 0212 line survives Delete+Undo above", iso, "A\r\n" + jis0212 + "B\r\n", 0, -1,
            "Delete Undo", "A\r\n" + jis0212 + "B\r\n");
        row("ISO-2022-JP: edit elsewhere on the line keeps a JIS X 0212 character", iso, jis0212 + "B\r\n", 0,
            -1, "x", jis0212 + "Bx\r\n");
        row("ISO-2022-JP: text typed between two kanji keeps a JIS X 0212 character after them", iso,
            "\x1B$B\x30\x21\x30\x21" + jis0212, 0, 2, "x",
            "\x1B$B\x30\x21\x1B(Bx\x1B$B\x30\x21\x1B(B" + jis0212);
        row("ISO-2022-JP: ESC $ @ kept beside an edit", iso, "a\x1B$@\x30\x21\x1B(Bb", 0, 0, "x",
            "xa\x1B$@\x30\x21\x1B(Bb");
        row("ISO-2022-JP: text typed after a line left in JIS X 0208", iso, "\x1B$B\x30\x21", 0, -1, "x",
            "\x1B$B\x30\x21\x1B(Bx");
        row("ISO-2022-JP: a line of escape sequences alone survives Delete+Undo above", iso,
            "A\r\n\x1B(B\r\nB", 0, -1, "Delete Undo", "A\r\n\x1B(B\r\nB");
    }

    void keptCodesThroughEdits() {
        QFETCH(int, encoding);
        QFETCH(std::string, bytes);
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(QString, keys);
        QFETCH(std::string, expected);
        load(bytes, static_cast<Encoding>(encoding));
        QVERIFY(saved() == bytes);
        if (column < 0)
            sci(view(), Sci::SCI_GOTOPOS,
                sci(view(), Sci::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line)));
        else
            view().SetSelStart(view().LineIndex(line) + column);
        for (const QString& key : keys.split(QLatin1Char(' '))) {
            if (key == QLatin1String("Undo"))
                view().Undo();
            else if (key == QLatin1String("Redo"))
                view().Redo();
            else if (key == QLatin1String("Delete"))
                QTest::keyClick(&view(), Qt::Key_Delete);
            else if (key == QLatin1String("Backspace"))
                QTest::keyClick(&view(), Qt::Key_Backspace);
            else if (key == QLatin1String("Return"))
                QTest::keyClick(&view(), Qt::Key_Return);
            else
                QTest::keyClicks(&view(), key);
        }
        const std::string got = saved();
        QCOMPARE(QByteArray::fromStdString(got).toHex(' '), QByteArray::fromStdString(expected).toHex(' '));
        const TextView::Snapshot snapshot = view().TakeSnapshot();
        std::string copy;
        EncodeDocument(snapshot.encoding, *snapshot.utf8, snapshot.originals.spans, copy);
        QCOMPARE(QByteArray::fromStdString(copy).toHex(' '), QByteArray::fromStdString(expected).toHex(' '));
    }

    void loadFailures_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << QStringLiteral("missing");
        QTest::newRow("directory") << QStringLiteral("directory");
        QTest::newRow("FIFO") << QStringLiteral("fifo");
    }

    void loadFailures() {
        QFETCH(QString, kind);
        const std::string before = Sjis("前の文\r\n") + "\x80";
        load(before);
        view().SetWordWrap(true);
        QString target = path(kind);
        if (kind == QLatin1String("directory")) QVERIFY(QDir(m_dir->path()).mkdir(kind));
        if (kind == QLatin1String("fifo")) QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        try {
            view().LoadFromFile(target);
            QFAIL("no error");
        } catch (const UserError& e) {
            QCOMPARE(e.message(), QStringLiteral("ファイル %1 は開けません").arg(target));
        }
        QCOMPARE(view().GetText(), before);
        QVERIFY(view().WordWrap());
        QCOMPARE(representation(view(), Cp932ToUtf8("\x80")), QStringLiteral("x80"));
        QVERIFY(saved() == before);
    }

    void saveFailures_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("folder missing") << QStringLiteral("none/out.txt");
        QTest::newRow("a folder") << QStringLiteral("folder");
        QTest::newRow("file as folder") << QStringLiteral("plain.txt/out.txt");
    }

    void saveFailures() {
        QFETCH(QString, target);
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
        write(QStringLiteral("plain.txt"), "keep");
        load("text");
        const QString full = path(target);
        try {
            view().SaveToFile(full);
            QFAIL("no error");
        } catch (const UserError& e) {
            QCOMPARE(e.message(), QStringLiteral("ファイル %1 を作成できません").arg(full));
        }
        QCOMPARE(read(path(QStringLiteral("plain.txt"))), std::string("keep"));
        QVERIFY(QFileInfo(path(QStringLiteral("folder"))).isDir());
    }

    void saveFailureKeepsTarget() {
        // A write that fails half-way (file size limit) must leave the old file as it was.
        const std::string old = "old contents\r\n";
        const QString target = write(QStringLiteral("target.txt"), old);
        load(std::string(3 << 20, 'z'));
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto previous = ::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1 << 20;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        bool threw = false;
        try {
            view().SaveToFile(target);
        } catch (const UserError& e) {
            threw = e.message() == QStringLiteral("ファイル %1 を作成できません").arg(target);
        }
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::signal(SIGXFSZ, previous);
        QVERIFY(threw);
        QCOMPARE(read(target), old);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);  // no temporary file left
    }

    void settingsSurviveLoad() {
        QCOMPARE(representation(view(), Cp932ToUtf8("\xB1")), QString());
        QCOMPARE(representation(view(), Cp932ToUtf8("\xFD")), QStringLiteral("xFD"));
        view().SetWordWrap(true);
        load(Sjis("ｱ") + "\x80\r\nline");
        QVERIFY(view().WordWrap());
        QCOMPARE(sci(view(), Sci::SCI_GETWRAPMODE), long(Sci::SC_WRAP_WORD));
        QCOMPARE(sci(view(), Sci::SCI_GETCODEPAGE), long(Sci::SC_CP_UTF8));
        QCOMPARE(sci(view(), Sci::SCI_GETEOLMODE), long(Sci::SC_EOL_CRLF));
        QCOMPARE(sci(view(), Sci::SCI_GETTABWIDTH), 8L);
        QVERIFY(sci(view(), Sci::SCI_GETHSCROLLBAR) == 0);
        // Invalid bytes show as hex, half-width katakana as itself.
        for (int b : {0x80, 0xA0, 0x81, 0xFF})
            QCOMPARE(
                representation(view(), Cp932ToUtf8(std::string(1, static_cast<char>(b)))),
                QStringLiteral("x%1").arg(b, 2, 16).toUpper().replace(QLatin1Char('X'), QLatin1Char('x')));
        QCOMPARE(representation(view(), Cp932ToUtf8("\xB1")), QString());
        // Breaks and the character filter still act.
        view().SetSelStart(view().LineIndex(1) + 4);
        QTest::keyClick(&view(), Qt::Key_Return);
        typeText(&view(), QStringLiteral("\U0010FE0D"));  // the raw byte of a CR
        QCOMPARE(std::string(view().Utf8Buffer()), Cp932ToUtf8(Sjis("ｱ") + "\x80\r\nline\r\n?"));
        QCOMPARE(view().LineCount(), 3);
        QVERIFY(view().CanUndo());
    }

    // Every invalid byte is one character of the view: the caret steps over it whole, and text typed
    // beside it leaves its byte as it was.
    void invalidBytesAreWholeCharacters() {
        std::string bytes;
        for (int b : {0x80, 0xA0, 0xFD, 0xFE, 0xFF}) bytes += static_cast<char>(b);
        load(bytes);
        long pos = 0;
        for (int i = 0; i < 5; ++i) {
            const long next = sci(view(), Sci::SCI_POSITIONAFTER, static_cast<unsigned long>(pos));
            QCOMPARE(next - pos, 4L);
            pos = next;
        }
        QCOMPARE(pos, view().Utf8Length());
        for (int i = 0; i < 5; ++i) {
            view().SetSelStart(2 * i);  // after i invalid bytes and i typed letters
            typeText(&view(), QStringLiteral("a"));
        }
        QVERIFY(saved() ==
                "a\x80"
                "a\xA0"
                "a\xFD"
                "a\xFE"
                "a\xFF");
    }

    void enteringText_data() {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const int sjis = int(Encoding::ShiftJis);
        QTest::newRow("japanese") << sjis << QStringLiteral("日本語のかな") << QStringLiteral("日本語のかな");
        QTest::newRow("half-width kana") << sjis << QStringLiteral("ｱｲｳﾞ") << QStringLiteral("ｱｲｳﾞ");
        // Characters the encoding has no code for stay as they are: Save asks about them.
        QTest::newRow("NEC specials") << sjis << QStringLiteral("①Ⅻ㈱Ⅹ") << QStringLiteral("①Ⅻ㈱Ⅹ");
        QTest::newRow("emoji") << sjis << QStringLiteral("a😀b") << QStringLiteral("a😀b");
        QTest::newRow("hangul") << sjis << QStringLiteral("한국") << QStringLiteral("한국");
        QTest::newRow("yen sign has no code of its own")
            << sjis << QStringLiteral("¥") << QStringLiteral("¥");
        QTest::newRow("mixed") << sjis << QStringLiteral("漢😀字한ｶ") << QStringLiteral("漢😀字한ｶ");
        QTest::newRow("what input methods type for 〜 and −")
            << sjis << QStringLiteral("1〜5−") << QStringLiteral("1〜5−");
        // A raw byte that no save could give back as itself.
        QTest::newRow("raw byte of a CR") << sjis << QStringLiteral("a\U0010FE0Db") << QStringLiteral("a?b");
        QTest::newRow("raw byte in UTF-16")
            << int(Encoding::Utf16Le) << QStringLiteral("a\U0010FE80") << QStringLiteral("a?");
        QTest::newRow("UTF-8 holds every character")
            << int(Encoding::Utf8) << QStringLiteral("漢😀字한ｶ¥") << QStringLiteral("漢😀字한ｶ¥");
        QTest::newRow("UTF-16 holds every character")
            << int(Encoding::Utf16BeBom) << QStringLiteral("a😀b한") << QStringLiteral("a😀b한");
        QTest::newRow("EUC-JP") << int(Encoding::EucJp) << QStringLiteral("漢😀字한ｶ①")
                                << QStringLiteral("漢😀字한ｶ①");
        QTest::newRow("ISO-2022-JP") << int(Encoding::Iso2022Jp) << QStringLiteral("漢😀ｶ한")
                                     << QStringLiteral("漢😀ｶ한");
    }

    // What enters the view is what was typed or pasted, however it comes.
    void enteringText() {
        QFETCH(int, encoding);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const std::string want = expected.toStdString();
        // What the view holds, not only what a save would write.
        const auto shown = [this] { return std::string(view().Utf8Buffer()); };
        const auto fresh = [&] {
            view().Clear();
            view().SetDocumentEncoding(static_cast<Encoding>(encoding));
        };
        // Typed one character at a time, committed by an input method, and pasted.
        fresh();
        for (int k = 0; k < input.size(); ++k) {
            const int n = input.at(k).isHighSurrogate() ? 2 : 1;
            typeText(&view(), input.mid(k, n));
            k += n - 1;
        }
        QCOMPARE(shown(), want);
        fresh();
        QInputMethodEvent commit;
        commit.setCommitString(input);
        QApplication::sendEvent(&view(), &commit);
        QCOMPARE(shown(), want);
        fresh();
        QApplication::clipboard()->setText(input);
        view().PasteFromClipboard();
        QCOMPARE(shown(), want);
        QCOMPARE(view().GetText(), Utf8ToCp932(want));
        QCOMPARE(view().SelStart(), static_cast<int>(Cp932Length(want)));
    }

    // In the middle of a long line an input method composes in place, is told a few hundred characters
    // around the caret with the caret's place counted in characters, and commits where it composed.
    void composingInLongLine() {
        std::string line;
        for (int i = 0; line.size() < 60000; ++i) line += Sjis("長い行の文字 ") + std::to_string(i) + " ";
        load("first\r\n" + line + "\r\nlast\r\n");
        const long start = sci(view(), Sci::SCI_POSITIONFROMLINE, 1);
        const long middle = sci(view(), Sci::SCI_POSITIONBEFORE, sci(view(), Sci::SCI_POSITIONAFTER, start + 30000));
        sci(view(), Sci::SCI_GOTOPOS, static_cast<unsigned long>(middle));
        const QString before = QString::fromUtf8(view().Utf8Range(middle - 30, middle)).right(5);

        QInputMethodEvent compose(QStringLiteral("にほん"), {{QInputMethodEvent::Cursor, 3, 1, QVariant()}});
        QApplication::sendEvent(&view(), &compose);
        // Composed in place, the input method's caret at its end.
        const std::string composing = QStringLiteral("にほん").toStdString();
        QCOMPARE(std::string(view().Utf8Range(middle, middle + long(composing.size()))), composing);
        const long end = middle + long(composing.size());
        QCOMPARE(sci(view(), Sci::SCI_GETCURRENTPOS), end);
        const QRect caret = static_cast<QWidget&>(view()).inputMethodQuery(Qt::ImCursorRectangle).toRect();
        QCOMPARE(caret.x(), int(sci(view(), Sci::SCI_POINTXFROMPOSITION, 0, end)) + view().viewport()->x());
        QVERIFY(caret.x() > int(sci(view(), Sci::SCI_POINTXFROMPOSITION, 0, middle)));
        const QString around = static_cast<QWidget&>(view()).inputMethodQuery(Qt::ImSurroundingText).toString();
        const int at = static_cast<QWidget&>(view()).inputMethodQuery(Qt::ImCursorPosition).toInt();
        QVERIFY2(around.size() < 2000, qPrintable(QString::number(around.size())));
        QVERIFY(at > 0 && at <= around.size());
        QVERIFY2(around.left(at).endsWith(before + QStringLiteral("にほん")), qPrintable(around.left(at).right(12)));

        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("日本"));
        QApplication::sendEvent(&view(), &commit);
        std::string expected = "first\r\n" + line + "\r\nlast\r\n";
        expected.insert(5 + 2 + Cp932Length(view().Utf8Range(start, middle)), Sjis("日本"));
        QCOMPARE(saved(), expected);
        QCOMPARE(view().CaretColumn(), int(Cp932Length(view().Utf8Range(start, middle))) + 4);
    }

    // Pasted and typed breaks take the document's break style.
    void enteringBreaks() {
        for (const LineBreak b : {LineBreak::CrLf, LineBreak::Lf, LineBreak::Cr}) {
            const std::string brk(LineBreakText(b));
            load("x" + brk + "y" + brk, std::nullopt);
            QCOMPARE(view().BreakStyle(), b);
            view().SelectAll();
            QApplication::clipboard()->setText(QStringLiteral("a\r\nb\rc\nd"));
            view().PasteFromClipboard();
            QCOMPARE(std::string(view().Utf8Buffer()), "a" + brk + "b" + brk + "c" + brk + "d");
            QCOMPARE(view().LineIndex(3), 9);
            QCOMPARE(view().SelStart(), 10);
            QTest::keyClick(&view(), Qt::Key_Return);
            QCOMPARE(std::string(view().Utf8Buffer()), "a" + brk + "b" + brk + "c" + brk + "d" + brk);
            view().SelectAll();
            view().CopyToClipboard();
            QCOMPARE(QApplication::clipboard()->text().count(QString::fromStdString(brk)), 4);
        }
    }

    void setSelText() {
        load("abc\r\ndef");
        QTest::keyClick(&view(), Qt::Key_Z);
        QVERIFY(view().CanUndo());
        select(view(), 1, 6);
        view().SetSelText(Sjis("漢\r\n字\r行"));
        QCOMPARE(view().GetText(), "z" + Sjis("漢\r\n字\r\n行") + "def");
        QCOMPARE(view().LineCount(), 3);
        QCOMPARE(view().LineIndex(2), 9);
        QCOMPARE(view().SelStart(), 11);
        QVERIFY(!view().CanUndo());
        select(view(), 0, 3);
        view().SetSelText({});
        QCOMPARE(view().GetText(), Sjis("\r\n字\r\n行") + "def");
        QVERIFY(!view().CanUndo());
        view().Undo();
        QCOMPARE(view().GetText(), Sjis("\r\n字\r\n行") + "def");
    }

    void undo() {
        QVERIFY(!view().CanUndo());
        QTest::keyClicks(&view(), "ab");
        QVERIFY(view().CanUndo());
        view().Undo();
        QCOMPARE(view().GetText(), std::string());
        load("x");
        QVERIFY(!view().CanUndo());
        QTest::keyClick(&view(), Qt::Key_Q);
        view().Clear();
        QVERIFY(!view().CanUndo());
    }

    void foreignKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        const int ctrl = Qt::ControlModifier;
        const int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
        QTest::newRow("Ctrl+D duplicate") << int(Qt::Key_D) << ctrl << QStringLiteral("\x04");
        QTest::newRow("Ctrl+T transpose") << int(Qt::Key_T) << ctrl << QStringLiteral("\x14");
        QTest::newRow("Ctrl+L cut line") << int(Qt::Key_L) << ctrl << QStringLiteral("\x0C");
        QTest::newRow("Ctrl+Shift+L delete line") << int(Qt::Key_L) << ctrlShift << QStringLiteral("\x0C");
        QTest::newRow("Ctrl+U lower case") << int(Qt::Key_U) << ctrl << QStringLiteral("\x15");
        QTest::newRow("Ctrl+Shift+U upper case") << int(Qt::Key_U) << ctrlShift << QStringLiteral("\x15");
        QTest::newRow("Ctrl+Y redo") << int(Qt::Key_Y) << ctrl << QStringLiteral("\x19");
        QTest::newRow("Ctrl++ zoom") << int(Qt::Key_Plus) << ctrl << QStringLiteral("+");
        QTest::newRow("Ctrl+- zoom") << int(Qt::Key_Minus) << ctrl << QStringLiteral("-");
        QTest::newRow("Ctrl+/ word part") << int(Qt::Key_Slash) << ctrl << QStringLiteral("/");
        QTest::newRow("Ctrl+D as tests send it") << int(Qt::Key_D) << ctrl << QStringLiteral("d");
        QTest::newRow("Alt+X") << int(Qt::Key_X) << int(Qt::AltModifier) << QStringLiteral("x");
    }

    void foreignKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        load("One\r\nTwo");
        QTest::keyClick(&view(), Qt::Key_End);
        QTest::keyClick(&view(), Qt::Key_Home, Qt::ShiftModifier);  // "One" selected
        QTest::keyClick(&view(), Qt::Key_Z, Qt::ControlModifier);
        QTest::sendKeyEvent(QTest::Click, &view(), Qt::Key(key), text, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(view().GetText(), std::string("One\r\nTwo"));
        QCOMPARE(sci(view(), Sci::SCI_GETZOOM), 0L);
        QWheelEvent wheel(QPointF(10, 10), view().mapToGlobal(QPoint(10, 10)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view().viewport(), &wheel);
        QCOMPARE(sci(view(), Sci::SCI_GETZOOM), 0L);
    }

    void editingKeys() {
        QTest::keyClicks(&view(), "ab");
        QTest::keyClick(&view(), Qt::Key_Return);
        QTest::keyClick(&view(), Qt::Key_Tab);
        QTest::keyClick(&view(), Qt::Key_C);
        QCOMPARE(view().GetText(), std::string("ab\r\n\tc"));
        // Tab replaces a selection over several lines rather than indenting them.
        view().SelectAll();
        QTest::keyClick(&view(), Qt::Key_Tab);
        QCOMPARE(view().GetText(), std::string("\t"));
        QTest::keyClick(&view(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(view().GetText(), std::string("ab\r\n\tc"));
        QTest::keyClick(&view(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(view().SelLength(), 6);
    }

    void keyAndMouseEvents() {
        int downColumn = -1, upColumn = -1, mouseLine = -1, mouseColumn = -1;
        std::string downText;
        connect(&view(), &TextView::keyDown, this, [&](QKeyEvent*) {
            downColumn = view().CaretColumn();
            downText = view().GetText();
        });
        connect(&view(), &TextView::keyUp, this, [&](QKeyEvent*) { upColumn = view().CaretColumn(); });
        connect(&view(), &TextView::mouseDown, this, [&](QMouseEvent*) {
            mouseLine = view().CaretLine();
            mouseColumn = view().CaretColumn();
        });
        QSignalSpy changed(&view(), &TextView::changed);
        typeText(&view(), QStringLiteral("漢"));
        QCOMPARE(downColumn, 0);
        QCOMPARE(downText, std::string());
        QCOMPARE(upColumn, 2);
        QTRY_COMPARE(changed.count(), 1);

        load("abc\r\n" + Sjis("漢字かな"));
        QCOMPARE(view().SelStart(), 0);
        const long target = sci(view(), Sci::SCI_POSITIONFROMLINE, 1) + 6;  // after 漢字
        const int x = static_cast<int>(sci(view(), Sci::SCI_POINTXFROMPOSITION, 0, target));
        const int y = static_cast<int>(sci(view(), Sci::SCI_POINTYFROMPOSITION, 0, target)) +
                      static_cast<int>(sci(view(), Sci::SCI_TEXTHEIGHT, 1)) / 2;
        QTest::mouseClick(view().viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x + 1, y));
        QCOMPARE(mouseLine, 1);
        QCOMPARE(mouseColumn, 4);
    }

    void fonts() {
        QCOMPARE(TextView().FontName(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(TextView().FontSize(), 9);
        view().SetFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 12));
        QCOMPARE(view().FontName(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(view().FontSize(), 12);
        QCOMPARE(sci(view(), Sci::SCI_STYLEGETSIZE, Sci::STYLE_DEFAULT), 12L);
        QCOMPARE(sci(view(), Sci::SCI_STYLEGETSIZE, 0), 12L);
        view().SetFontName(QStringLiteral("ＭＳ ゴシック"));
        view().SetFontSize(14);
        QCOMPARE(view().FontName(), QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(view().FontSize(), 14);
        load("text");
        QCOMPARE(sci(view(), Sci::SCI_STYLEGETSIZE, 0), 14L);
        // A size the view cannot draw is kept, whatever is set after it, and drawn at 9 points.
        view().SetFontSize(0);
        view().SetFontName(QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(view().FontSize(), 0);
        QCOMPARE(sci(view(), Sci::SCI_STYLEGETSIZE, 0), 9L);
        QFont pixels(QStringLiteral("ＭＳ Ｐゴシック"));
        pixels.setPixelSize(16);
        view().SetFont(pixels);
        QVERIFY(view().FontSize() > 0);
    }

    void wrapping() {
        view().SetWordWrap(true);
        std::string text;
        for (int i = 0; i < 40; ++i) {
            const std::string sentence =
                Sjis("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。");
            text += i % 3 == 0 ? "short " + std::to_string(i)
                               : sentence + " words words words " + sentence + std::to_string(i) + sentence;
            text += "\r\n";
        }
        load(text);
        settle();
        QCOMPARE(view().LineCount(), 40);
        QVERIFY(view().LineAt(1).size() > 60);
        QVERIFY(sci(view(), Sci::SCI_WRAPCOUNT, 1) >= 3);

        struct Probe {
            const char* what;
            std::function<void()> prepare;
            int line;
            int nthRow;
        };
        const Probe probes[] = {
            {"visible", [] {}, 1, 1},
            {"below the view", [] {}, 34, 2},
            {"above the view", [this] { view().ScrollLineToTop(30); }, 2, 2},
            {"added out of sight",
             [this] {
                 // A long line added out of sight.
                 const std::string add = "\n" + Sjis("長い行になりました。") + std::string(150, 'w');
                 const long at = sci(view(), Sci::SCI_GETLINEENDPOSITION, 35);
                 sci(view(), Sci::SCI_INSERTTEXT, static_cast<unsigned long>(at),
                     reinterpret_cast<long>(Cp932ToUtf8(add).c_str()));
             },
             36, 2},
        };
        for (const Probe& p : probes) {
            view().ScrollLineToTop(0);
            settle();
            p.prepare();
            // The row's first position, found from the drawn layout alone.
            const long start = sci(view(), Sci::SCI_POSITIONFROMLINE, p.line);
            const long end = sci(view(), Sci::SCI_GETLINEENDPOSITION, p.line);
            std::vector<long> rowStarts{start};
            for (long q = start; q < end; q = sci(view(), Sci::SCI_POSITIONAFTER, q)) {
                if (sci(view(), Sci::SCI_POINTYFROMPOSITION, 0, q) >
                    sci(view(), Sci::SCI_POINTYFROMPOSITION, 0, rowStarts.back()))
                    rowStarts.push_back(q);
            }
            QVERIFY2(static_cast<int>(rowStarts.size()) > p.nthRow, p.what);
            const long rowStart = rowStarts[p.nthRow];
            const long caret =
                sci(view(), Sci::SCI_POSITIONAFTER, sci(view(), Sci::SCI_POSITIONAFTER, rowStart));
            sci(view(), Sci::SCI_SETEMPTYSELECTION, static_cast<unsigned long>(caret));
            const int line = view().CaretDisplayLine();
            const int column = view().CaretDisplayColumn();
            settle();
            const std::string_view u = view().Utf8Buffer().substr(rowStart, caret - rowStart);
            QVERIFY2(line == sci(view(), Sci::SCI_VISIBLEFROMDOCLINE, p.line) + p.nthRow, p.what);
            QVERIFY2(column == static_cast<int>(Cp932Length(u)), p.what);
            QCOMPARE(view().CaretLine(), p.line);
        }

        for (int n : {0, 5, 20}) {
            view().ScrollLineToTop(n);
            QCOMPARE(view().FirstVisibleLine(), int(sci(view(), Sci::SCI_VISIBLEFROMDOCLINE, n)));
            settle();
            QCOMPARE(sci(view(), Sci::SCI_DOCLINEFROMVISIBLE, view().FirstVisibleLine()), long(n));
        }
        // Placing the caret does not scroll.
        view().ScrollLineToTop(0);
        view().SetSelStart(view().LineIndex(39));
        view().SetCaretToLineStart(38);
        QCOMPARE(view().FirstVisibleLine(), 0);
        view().SetWordWrap(false);
        QVERIFY(!view().WordWrap());
        QVERIFY(sci(view(), Sci::SCI_GETHSCROLLBAR) != 0);
        QCOMPARE(view().CaretDisplayLine(), 38);
        QCOMPARE(view().CaretDisplayColumn(), 0);
    }

    // The caret's column is kept between queries and moved by each edit: it equals one counted afresh,
    // whatever the edit did before, at or after the caret, on its line or another.
    void caretColumnFollowsEdits() {
        load(Sjis("一行目\r\n二行目は長い行です abc def\r\n三行目\r\n"));
        const auto fresh = [&] {
            const long pos = sci(view(), Sci::SCI_GETCURRENTPOS);
            const long line = sci(view(), Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(pos));
            return static_cast<int>(Cp932Columns(
                view().Utf8Range(sci(view(), Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)), pos)));
        };
        const std::string wide = Cp932ToUtf8(Sjis("漢"));
        struct Edit {
            const char* what;
            int line;  // the edit's place: a line from the caret's and a byte from that line's start
            long at;
            long remove;
            std::string insert;
        };
        const Edit edits[] = {
            {"wide before the caret", 0, 3, 0, wide},
            {"deleted before the caret", 0, 0, 3, ""},
            {"at the caret", 0, 9, 0, "xy"},
            {"after the caret", 0, 20, 0, wide},
            {"on the line above", -1, 0, 0, wide + wide},
            {"line above shortened", -1, 0, 3, ""},
            {"break before the caret", 0, 4, 0, "\n"},
            {"break before the line deleted", 0, -1, 1, ""},
            {"wide deleted before the caret", 0, 0, 3, ""},
        };
        sci(view(), Sci::SCI_GOTOPOS, static_cast<unsigned long>(sci(view(), Sci::SCI_POSITIONFROMLINE, 1) + 12));
        QCOMPARE(view().CaretColumn(), fresh());
        for (const Edit& e : edits) {
            const long caretLine = sci(view(), Sci::SCI_LINEFROMPOSITION, sci(view(), Sci::SCI_GETCURRENTPOS));
            const long at = sci(view(), Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(caretLine + e.line)) + e.at;
            if (e.remove) sci(view(), Sci::SCI_DELETERANGE, static_cast<unsigned long>(at), e.remove);
            if (!e.insert.empty())
                sci(view(), Sci::SCI_INSERTTEXT, static_cast<unsigned long>(at), reinterpret_cast<long>(e.insert.c_str()));
            QVERIFY2(view().CaretColumn() == fresh(), e.what);
            sci(view(), Sci::SCI_CHARLEFT);
            QVERIFY2(view().CaretColumn() == fresh(), e.what);
        }
        sci(view(), Sci::SCI_UNDO);
        QCOMPARE(view().CaretColumn(), fresh());
    }

    // A long line is laid out again only around each edit, its rows found again only near it: after
    // every edit, each sampled position stands where a layout of the whole line puts it.
    void longLineEditsLaidOutAsWhole_data() {
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<bool>("tab");
        QTest::newRow("wrap off") << false << false;
        QTest::newRow("wrap on") << true << false;
        QTest::newRow("wrap on, a tab after the edits") << true << true;
    }
    void longLineEditsLaidOutAsWhole() {
        QFETCH(bool, wrap);
        QFETCH(bool, tab);
        view().SetWordWrap(wrap);
        std::string line;
        for (int i = 0; line.size() < 60000; ++i)
            line += i % 7 == 0 ? Sjis("見出しのない長い行、") : "words and words " + std::to_string(i) + " ";
        if (tab) line += "\tafter a tab";
        load("first\r\n" + line + "\r\nlast\r\n");
        settle();
        const long start = sci(view(), Sci::SCI_POSITIONFROMLINE, 1);
        // x and y of every 997th position of the line, and of its end.
        const auto sample = [&] {
            std::vector<long> points;
            const long end = sci(view(), Sci::SCI_GETLINEENDPOSITION, 1);
            for (long q = start;; q = std::min(end, q + 997)) {
                q = sci(view(), Sci::SCI_POSITIONBEFORE, sci(view(), Sci::SCI_POSITIONAFTER, q));
                points.push_back(sci(view(), Sci::SCI_POINTXFROMPOSITION, 0, q));
                points.push_back(sci(view(), Sci::SCI_POINTYFROMPOSITION, 0, q));
                if (q >= end) break;
            }
            points.push_back(sci(view(), Sci::SCI_WRAPCOUNT, 1));
            return points;
        };
        const auto relaidWhole = [&] {
            sci(view(), Sci::SCI_SETLAYOUTCACHE, Sci::SC_CACHE_NONE);
            sci(view(), Sci::SCI_SETLAYOUTCACHE, Sci::SC_CACHE_PAGE);
            return sample();
        };
        const std::string wide = Cp932ToUtf8(Sjis("漢字"));
        struct Edit {
            long at;  // from the line's start
            long remove;
            std::string insert;
        };
        const Edit edits[] = {
            {30000, 0, "a"},       {30001, 1, ""},   {100, 0, wide},       {59000, 0, "x y z "},
            {20, 500, ""},         {40000, 3, wide}, {0, 0, "lead "},      {12345, 0, std::string(300, 'q')},
        };
        sci(view(), Sci::SCI_GOTOPOS, static_cast<unsigned long>(start + 30000));
        for (const Edit& e : edits) {
            const long at = sci(view(), Sci::SCI_POSITIONBEFORE, sci(view(), Sci::SCI_POSITIONAFTER, start + e.at));
            sci(view(), Sci::SCI_DELETERANGE, static_cast<unsigned long>(at), e.remove);
            sci(view(), Sci::SCI_INSERTTEXT, static_cast<unsigned long>(at), reinterpret_cast<long>(e.insert.c_str()));
            const std::vector<long> edited = sample();
            QCOMPARE(edited, relaidWhole());
        }
        sci(view(), Sci::SCI_UNDO);
        const std::vector<long> undone = sample();
        QCOMPARE(undone, relaidWhole());
    }

    void largeDocument() {
        const std::string doc = generateDocument(20u << 20);
        const QString file = write(QStringLiteral("large.txt"), doc);
        QElapsedTimer t;
        t.start();
        view().LoadFromFile(file);
        qInfo("LoadFromFile of %zu bytes: %lld ms", doc.size(), static_cast<long long>(t.elapsed()));
        const int last = view().LineCount() - 1;
        view().SetCaretToLineStart(last);
        sci(view(), Sci::SCI_LINEEND);
        const Model tail(doc.substr(doc.rfind("\r\n", doc.size() - 3) + 2));
        QCOMPARE(view().CaretLine(), last);
        QCOMPARE(view().CaretColumn(), static_cast<int>(tail.text.size()) - 2);
        t.restart();
        long sum = 0;
        for (int i = 0; i < 1000; ++i) sum += view().CaretLine() + view().CaretColumn();
        qInfo("1000 x CaretLine+CaretColumn on the last line: %.3f ms (%ld)", t.nsecsElapsed() / 1e6, sum);
        // Queries by offset scan the text up to it: three calls each, timed per call.
        auto perCall = [&](const char* what, const std::function<long()>& f) {
            QElapsedTimer e;
            e.start();
            long r = 0;
            for (int i = 0; i < 3; ++i) r = f();
            qInfo("%s: %.3f ms per call", what, e.nsecsElapsed() / 3e6);
            return r;
        };
        const long selStart = perCall("SelStart", [&] { return view().SelStart(); });
        QCOMPARE(selStart, static_cast<long>(doc.size()) - 2);
        QCOMPARE(perCall("LineIndex(-1)", [&] { return view().LineIndex(-1); }),
                 static_cast<long>(doc.size() - tail.text.size()));
        QCOMPARE(perCall("LineFromChar(end)", [&] { return view().LineFromChar(selStart); }), long(last));
        perCall("SetSelStart(end)", [&] {
            view().SetSelStart(static_cast<int>(selStart));
            return 0L;
        });
        QCOMPARE(view().SelStart(), selStart);
        perCall("SelectionEndColumn", [&] { return view().SelectionEndColumn(); });
        perCall("CaretDisplayLine+Column",
                [&] { return view().CaretDisplayLine() + view().CaretDisplayColumn(); });
        // Under wrap only the caret's own line is laid out for the query.
        view().SetWordWrap(true);
        perCall("CaretDisplayLine+Column under wrap",
                [&] { return view().CaretDisplayLine() + view().CaretDisplayColumn(); });
        view().SetWordWrap(false);
        t.restart();
        QVERIFY(saved() == doc);
        qInfo("SaveToFile and read back: %lld ms", static_cast<long long>(t.elapsed()));
    }
};

QTEST_MAIN(TextViewTest)
#include "tst_textview.moc"
