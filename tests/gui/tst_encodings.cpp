// Documents in every encoding and break style in the main window: opened, edited and saved, their
// headings, the status bar panel, reopening in another encoding, and the encoding and break style of
// the next save.
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include "view/TextView.h"
#include "helpers/TestSupport.h"
#include "platform/Cp932.h"
#include "platform/TextEncoding.h"

using namespace oruvan;
using namespace oruvan::test;

Q_DECLARE_METATYPE(std::string)

namespace {

// The lines of the test document, two of them headings under the default marks.
const char* const kLines[] = {"//@見出し ASCII", "これは本文の行です", "", "■次の見出し", "last"};

// The document in UTF-8 with the breaks of a style: "LF" (a break after every line), "CRLF" (none
// after the last) or "mixed" (CR LF, LF, CR, LF: LF is the most common).
std::string Document(const QString& style) {
    const char* lf[] = {"\n", "\n", "\n", "\n", "\n"};
    const char* crlf[] = {"\r\n", "\r\n", "\r\n", "\r\n", ""};
    const char* mixed[] = {"\r\n", "\n", "\r", "\n", ""};
    const char** breaks = style == QLatin1String("LF") ? lf : style == QLatin1String("CRLF") ? crlf : mixed;
    std::string text;
    for (std::size_t i = 0; i < std::size(kLines); ++i) text += std::string(kLines[i]) + breaks[i];
    return text;
}

std::string FileBytes(Encoding e, const std::string& utf8) {
    return std::string(ByteOrderMark(e)) + EncodeText(e, utf8);
}

// What the window's index shows: each heading's text and line.
QStringList Headings(MainWindow& w) {
    QStringList out;
    for (int i = 0; i < w.index()->entryCount(); ++i)
        out << QStringLiteral("%1:%2")
                   .arg(w.index()->entryLine(i))
                   .arg(w.index()->headingCombo()->itemText(i));
    return out;
}

QAction* Choice(MainWindow& w, CommandId command, const char* caption) {
    for (QAction* a : w.commands().action(command)->menu()->actions())
        if (a->text() == QString::fromUtf8(caption)) return a;
    return nullptr;
}

void TypeText(QWidget* w, const QString& text) {
    QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, text, Qt::NoModifier);
}

struct Fixture {
    Sandbox box;
    MessageBoxRecorder boxes;
    std::unique_ptr<MainWindow> w = box.makeWindow();
    QString open(const QString& name, const std::string& bytes) {
        const QString path = box.writeFile(name, bytes);
        w->document()->open(path);
        return path;
    }
    void save() {
        QTest::keyClick(w->textView(), Qt::Key_S, Qt::ControlModifier);
        QCoreApplication::processEvents();
    }
    QString panel() const { return w->findChild<QLabel*>(QStringLiteral("documentFormat"))->text(); }
};

}  // namespace

class EncodingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    void editAndSave_data() {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("panel");
        const Encoding encodings[] = {Encoding::ShiftJis, Encoding::Utf8,       Encoding::Utf8Bom,
                                      Encoding::EucJp,    Encoding::Utf16LeBom, Encoding::Utf16Be,
                                      Encoding::Iso2022Jp};
        for (const Encoding e : encodings)
            for (const char* style : {"LF", "CRLF", "mixed"})
                QTest::addRow("%s %s", EncodingName(e), style)
                    << int(e) << QString::fromLatin1(style)
                    << QString::fromLatin1(EncodingName(e)) + QStringLiteral("  ") +
                           (QLatin1String(style) == QLatin1String("mixed") ? QStringLiteral("混在")
                                                                           : QString::fromLatin1(style));
    }

    // Opened as detected, edited in one place (a line typed in with Enter, which takes the most common
    // break) and saved: the file differs by that edit alone, and the headings are the cp932 copy's.
    void editAndSave() {
        QFETCH(int, encoding);
        QFETCH(QString, style);
        QFETCH(QString, panel);
        const auto e = static_cast<Encoding>(encoding);
        const std::string text = Document(style);
        Fixture f;
        f.open(QStringLiteral("sjis.txt"), FileBytes(Encoding::ShiftJis, text));
        const QStringList cp932Headings = Headings(*f.w);
        QCOMPARE(cp932Headings.size(), 2);

        const std::string original = FileBytes(e, text);
        const QString path = f.open(QStringLiteral("doc.txt"), original);
        QCOMPARE(f.w->textView()->DocumentEncoding(), e);
        QCOMPARE(f.panel(), panel);
        QCOMPARE(Headings(*f.w), cp932Headings);
        QVERIFY(!f.w->document()->isModified());

        // Characters cp932 lacks where the encoding holds them; ISO-2022-JP gets ASCII, so the escape
        // sequences of the line it goes before stay as they were.
        const QString typed = IsUnicode(e)               ? QStringLiteral("😀한x")
                              : e == Encoding::Iso2022Jp ? QStringLiteral("x")
                                                         : QStringLiteral("漢x");
        f.w->textView()->SetCaretToLineStart(1);
        TypeText(f.w->textView(), typed);
        QTest::keyClick(f.w->textView(), Qt::Key_Return);
        QVERIFY(f.w->document()->isModified());
        f.save();
        QVERIFY(!f.w->document()->isModified());
        QVERIFY(f.boxes.shown().empty());

        const LineBreak dominant = style == QLatin1String("CRLF") ? LineBreak::CrLf : LineBreak::Lf;
        const std::size_t at = FileBytes(e, text.substr(0, text.find(kLines[1]))).size();
        const std::string inserted =
            EncodeText(e, typed.toStdString() + std::string(LineBreakText(dominant)));
        QCOMPARE(f.box.readFile(path), original.substr(0, at) + inserted + original.substr(at));
    }

    void longLineKeepsCaretAndBytes_data() {
        QTest::addColumn<int>("encoding");
        for (const Encoding e : {Encoding::ShiftJis, Encoding::Utf8, Encoding::Utf8Bom, Encoding::EucJp,
                                 Encoding::Utf16LeBom, Encoding::Utf16Be, Encoding::Iso2022Jp})
            QTest::addRow("%s", EncodingName(e)) << int(e);
    }

    // A line of a megabyte: the caret goes where the keys send it, a letter typed in its middle lands at
    // the caret, and the save differs from the file by that letter alone.
    void longLineKeepsCaretAndBytes() {
        QFETCH(int, encoding);
        const auto e = static_cast<Encoding>(encoding);
        std::string line;
        for (int i = 0; line.size() < (std::size_t(1) << 20); ++i) line += "長い行の文字 abc " + std::to_string(i) + " ";
        const std::string text = "//@見出し\r\n" + line + "\r\nlast\r\n";
        Fixture f;
        const std::string original = FileBytes(e, text);
        const QString path = f.open(QStringLiteral("long.txt"), original);
        TextView& v = *f.w->textView();
        const auto caret = [&v] { return v.SendScintilla(TextView::SCI_GETCURRENTPOS); };
        const long start = v.SendScintilla(TextView::SCI_POSITIONFROMLINE, 1);
        std::size_t mid = line.size() / 2;
        while ((static_cast<unsigned char>(line[mid]) & 0xC0) == 0x80) --mid;
        v.SendScintilla(TextView::SCI_GOTOPOS, static_cast<unsigned long>(start) + mid);
        QCOMPARE(v.CaretColumn(), static_cast<int>(Cp932Columns(line.substr(0, mid))));
        const std::string typed = e == Encoding::Iso2022Jp ? "x" : "漢x";
        TypeText(&v, QString::fromStdString(typed));
        QCOMPARE(caret(), start + static_cast<long>(mid + typed.size()));
        QCOMPARE(v.CaretColumn(), static_cast<int>(Cp932Columns(line.substr(0, mid) + typed)));
        QTest::keyClick(&v, Qt::Key_End);
        QCOMPARE(caret(), start + static_cast<long>(line.size() + typed.size()));
        QTest::keyClick(&v, Qt::Key_Home);
        QCOMPARE(caret(), start);
        QTest::keyClick(&v, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(caret(), static_cast<long>(text.size() + typed.size()));
        QCOMPARE(Headings(*f.w), QStringList{QStringLiteral("0:見出し")});
        f.save();
        QVERIFY(f.boxes.shown().empty());
        const std::size_t at = text.find(line) + mid;
        QCOMPARE(f.box.readFile(path), FileBytes(e, text.substr(0, at) + typed + text.substr(at)));
    }

    // What input methods type for 〜 − ‖ — ¢ £ ¬ stays in the view and is saved in the codes Japanese files
    // hold for those characters.
    void typedFormsSaveInTheFilesCodes_data() {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<std::string>("written");
        const struct {
            const char* name;
            char16_t c;
            const char* sjis;
            const char* euc;
        } forms[] = {
            {"wave dash", 0x301C, "\x81\x60", "\xA1\xC1"},
            {"minus sign", 0x2212, "\x81\x7C", "\xA1\xDD"},
            {"double vertical line", 0x2016, "\x81\x61", "\xA1\xC2"},
            {"em dash", 0x2014, "\x81\x5C", "\xA1\xBD"},
            {"cent sign", 0x00A2, "\x81\x91", "\xA1\xF1"},
            {"pound sign", 0x00A3, "\x81\x92", "\xA1\xF2"},
            {"not sign", 0x00AC, "\x81\xCA", "\xA2\xCC"},
        };
        for (const auto& f : forms) {
            const QString typed(QChar(f.c));
            std::string jis = f.euc;
            for (char& b : jis) b = static_cast<char>(b & 0x7F);
            QTest::addRow("%s, Shift_JIS", f.name) << int(Encoding::ShiftJis) << typed << std::string(f.sjis);
            QTest::addRow("%s, EUC-JP", f.name) << int(Encoding::EucJp) << typed << std::string(f.euc);
            QTest::addRow("%s, ISO-2022-JP", f.name)
                << int(Encoding::Iso2022Jp) << typed << "\x1B$B" + jis + "\x1B(B";
        }
    }
    void typedFormsSaveInTheFilesCodes() {
        QFETCH(int, encoding);
        QFETCH(QString, typed);
        QFETCH(std::string, written);
        Fixture f;
        const QString path = f.box.writeFile(QStringLiteral("doc.txt"), "a\r\n");
        f.w->document()->open(path, static_cast<Encoding>(encoding));
        QTest::keyClick(f.w->textView(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(f.w->textView(), QStringLiteral("1"));
        QInputMethodEvent input;
        input.setCommitString(typed);
        QApplication::sendEvent(f.w->textView(), &input);
        QTest::keyClicks(f.w->textView(), QStringLiteral("5"));
        QCOMPARE(QString::fromStdString(std::string(f.w->textView()->Utf8Buffer())), "a\r\n1" + typed + "5");
        f.save();
        QVERIFY(f.boxes.shown().empty());
        QCOMPARE(f.box.readFile(path), "a\r\n1" + written + "5");
    }

    // A character the encoding has no code for stays as typed. Saving asks, naming it and its line: No
    // writes nothing, Yes saves in UTF-8. With UTF-8 chosen first, the save asks nothing.
    void characterWithoutCodeAsksBeforeSaving_data() {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("utf8First");
        QTest::newRow("snowman, Shift_JIS") << int(Encoding::ShiftJis) << QStringLiteral("\u2603") << false;
        QTest::newRow("snowman, UTF-8 chosen first")
            << int(Encoding::ShiftJis) << QStringLiteral("\u2603") << true;
        QTest::newRow("beyond the BMP, EUC-JP")
            << int(Encoding::EucJp) << QStringLiteral("\U00020BB7") << false;
        QTest::newRow("JIS X 0212 kanji, ISO-2022-JP")
            << int(Encoding::Iso2022Jp) << QStringLiteral("\u4E02") << false;
    }
    void characterWithoutCodeAsksBeforeSaving() {
        QFETCH(int, encoding);
        QFETCH(QString, typed);
        QFETCH(bool, utf8First);
        const auto e = static_cast<Encoding>(encoding);
        Fixture f;
        const QString path = f.box.writeFile(QStringLiteral("doc.txt"), "a\r\n");
        f.w->document()->open(path, e);
        QTest::keyClick(f.w->textView(), Qt::Key_End, Qt::ControlModifier);
        TypeText(f.w->textView(), typed);
        const std::string text = "a\r\n" + typed.toStdString();
        QCOMPARE(std::string(f.w->textView()->Utf8Buffer()), text);
        if (utf8First) {
            Choice(*f.w, CommandId::SaveEncoding, "UTF-8")->trigger();
            QVERIFY(f.boxes.shown().empty());
        } else {
            f.boxes.answer(Answer::No);
            f.save();
            QCOMPARE(f.boxes.texts(),
                     QStringList{QStringLiteral("2 行目の「%1」など、%2 で保存できない文字があります。"
                                                "UTF-8 で保存しますか？")
                                     .arg(typed, QString::fromLatin1(EncodingName(e)))});
            QCOMPARE(f.box.readFile(path), std::string("a\r\n"));
            QCOMPARE(f.w->textView()->DocumentEncoding(), e);
            QVERIFY(f.w->document()->isModified());
            f.boxes.clear();
            f.boxes.answer(Answer::Yes);
        }
        QCOMPARE(std::string(f.w->textView()->Utf8Buffer()), text);
        f.save();
        QCOMPARE(f.boxes.shown().size(), std::size_t(utf8First ? 0 : 1));
        QCOMPARE(f.box.readFile(path), text);
        QCOMPARE(f.panel(), QStringLiteral("UTF-8  CRLF"));
        QVERIFY(!f.w->document()->isModified());
    }

    // The reopen items read the file again in their encoding, asking first about an edited document;
    // with no file they are greyed.
    void reopenWithEncoding() {
        Fixture f;
        const std::string utf8 = "//@見出し\n本文\n";
        f.open(QStringLiteral("doc.txt"), utf8);
        QCOMPARE(f.panel(), QStringLiteral("UTF-8  LF"));
        f.w->commands().updateCommands();
        QVERIFY(f.w->commands().action(CommandId::Reopen)->isEnabled());

        Choice(*f.w, CommandId::Reopen, "Shift_JIS")->trigger();
        QCOMPARE(f.w->textView()->DocumentEncoding(), Encoding::ShiftJis);
        QCOMPARE(f.panel(), QStringLiteral("Shift_JIS  LF"));
        QCOMPARE(std::string(f.w->textView()->Utf8Buffer()), DecodeText(Encoding::ShiftJis, utf8));
        QVERIFY(!f.w->document()->isModified());

        TypeText(f.w->textView(), QStringLiteral("x"));
        f.boxes.answer(Answer::Cancel);
        Choice(*f.w, CommandId::Reopen, "自動判別")->trigger();
        QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("文書は変更されています。保存しますか？")});
        QCOMPARE(f.w->textView()->DocumentEncoding(), Encoding::ShiftJis);
        f.boxes.answer(Answer::No);
        Choice(*f.w, CommandId::Reopen, "自動判別")->trigger();
        QCOMPARE(f.w->textView()->DocumentEncoding(), Encoding::Utf8);
        QCOMPARE(std::string(f.w->textView()->Utf8Buffer()), utf8);
        QCOMPARE(Headings(*f.w), QStringList{QStringLiteral("0:見出し")});

        f.w->document()->newDocument();
        f.w->commands().updateCommands();
        QVERIFY(!f.w->commands().action(CommandId::Reopen)->isEnabled());
        QCOMPARE(f.panel(), QStringLiteral("Shift_JIS  CRLF"));
    }

    // Choosing the encoding of the next save modifies the document; one that cannot hold a character
    // asks first, naming the first line that has one, and No keeps the old encoding.
    void saveEncoding() {
        Fixture f;
        const QString path = f.open(QStringLiteral("doc.txt"),
                                    "one\r\n\xe6\x97\xa5\xe6\x9c\xac\r\nthree \xf0\x9f\x98\x80\r\n");
        QCOMPARE(f.w->textView()->DocumentEncoding(), Encoding::Utf8);
        f.w->commands().updateCommands();
        QVERIFY(Choice(*f.w, CommandId::SaveEncoding, "UTF-8")->isChecked());

        Choice(*f.w, CommandId::SaveEncoding, "UTF-16BE")->trigger();
        QVERIFY(f.boxes.shown().empty());
        QVERIFY(f.w->document()->isModified());
        QCOMPARE(f.panel(), QStringLiteral("UTF-16BE  CRLF"));
        f.save();
        QCOMPARE(f.box.readFile(path), FileBytes(Encoding::Utf16BeBom, "one\r\n日本\r\nthree 😀\r\n"));

        f.boxes.answer(Answer::No);
        Choice(*f.w, CommandId::SaveEncoding, "EUC-JP")->trigger();
        QCOMPARE(f.boxes.shown().size(), std::size_t(1));
        QVERIFY(f.boxes.texts().front().startsWith(QStringLiteral("3 行目の「😀」")));
        QCOMPARE(f.w->textView()->DocumentEncoding(), Encoding::Utf16BeBom);
        QVERIFY(!f.w->document()->isModified());
        f.w->commands().updateCommands();
        QVERIFY(Choice(*f.w, CommandId::SaveEncoding, "UTF-16BE")->isChecked());
        QVERIFY(!Choice(*f.w, CommandId::SaveEncoding, "EUC-JP")->isChecked());

        // Chosen anyway, the save then asks again, and No keeps the file.
        f.boxes.answer(Answer::Yes);
        Choice(*f.w, CommandId::SaveEncoding, "Shift_JIS")->trigger();
        QCOMPARE(f.w->textView()->DocumentEncoding(), Encoding::ShiftJis);
        QCOMPARE(f.panel(), QStringLiteral("Shift_JIS  CRLF"));
        f.boxes.answer(Answer::No);
        f.save();
        QCOMPARE(f.boxes.shown().size(), std::size_t(3));
        QCOMPARE(f.box.readFile(path), FileBytes(Encoding::Utf16BeBom, "one\r\n日本\r\nthree 😀\r\n"));
        QVERIFY(f.w->document()->isModified());
    }

    // A new break style converts every break in one undo step and modifies the document, also one
    // without a break.
    void lineBreakStyle() {
        Fixture f;
        const QString path = f.open(QStringLiteral("doc.txt"), "a\r\nb\nc\rd");
        QCOMPARE(f.panel(), QStringLiteral("Shift_JIS  混在"));
        f.w->commands().updateCommands();
        for (const char* c : {"CR LF", "LF", "CR"}) QVERIFY(!Choice(*f.w, CommandId::LineBreak, c)->isChecked());

        Choice(*f.w, CommandId::LineBreak, "LF")->trigger();
        QCOMPARE(f.panel(), QStringLiteral("Shift_JIS  LF"));
        QCOMPARE(f.w->textView()->GetText(), std::string("a\nb\nc\nd"));
        QCOMPARE(f.w->textView()->LineIndex(3), 9);
        QVERIFY(f.w->document()->isModified());
        f.w->textView()->Undo();
        QCOMPARE(f.w->textView()->GetText(), std::string("a\r\nb\nc\rd"));
        QCOMPARE(f.panel(), QStringLiteral("Shift_JIS  混在"));
        // Undone, Enter types the break most common as read again (one of each: CR LF).
        f.w->textView()->SelectAll();
        TypeText(f.w->textView(), QStringLiteral("x"));
        QTest::keyClick(f.w->textView(), Qt::Key_Return);
        f.save();
        QCOMPARE(f.box.readFile(path), std::string("x\r\n"));

        f.open(QStringLiteral("one.txt"), "one line");
        QCOMPARE(f.panel(), QStringLiteral("Shift_JIS  CRLF"));
        Choice(*f.w, CommandId::LineBreak, "CR")->trigger();
        QVERIFY(f.w->document()->isModified());
        f.w->commands().updateCommands();
        QVERIFY(Choice(*f.w, CommandId::LineBreak, "CR")->isChecked());
        QTest::keyClick(f.w->textView(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(f.w->textView(), Qt::Key_Return);
        QCOMPARE(f.w->textView()->GetText(), std::string("one line\r"));
    }

    // Undo and redo take the break style back and forth with the breaks: the panel, the menu, the
    // document's state and the next save agree. Steps: L, C, W choose LF, CR, CR LF; u and r are
    // Ctrl+Z and Ctrl+Y, U the Edit menu's undo; t types at the end. Then "x" and Enter are typed at the
    // end and the document saved.
    void lineBreakStyleFollowsUndo_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("LF chosen, then undone") << QByteArray("a\r\nb\r\n") << "Lu"
                                                << "CRLF"
                                                << "CR LF" << false << QByteArray("a\r\nb\r\nx\r\n");
        QTest::newRow("LF chosen, undone from the menu, redone") << QByteArray("a\r\nb\r\n") << "LUr"
                                                                 << "LF"
                                                                 << "LF" << true << QByteArray("a\nb\nx\n");
        QTest::newRow("mixed breaks, LF chosen, then undone") << QByteArray("a\r\nb\nc\n") << "Lu"
                                                              << "混在"
                                                              << "" << false << QByteArray("a\r\nb\nc\nx\n");
        QTest::newRow("mixed breaks, CR chosen, undone, redone")
            << QByteArray("a\r\nb\nc\n") << "Cur"
            << "CR"
            << "CR" << true << QByteArray("a\rb\rc\rx\r");
        QTest::newRow("LF then CR, one undone") << QByteArray("a\r\nb\r\n") << "LCu"
                                                << "LF"
                                                << "LF" << true << QByteArray("a\nb\nx\n");
        QTest::newRow("LF, typing, both undone") << QByteArray("a\r\nb\r\n") << "Ltuu"
                                                 << "CRLF"
                                                 << "CR LF" << false << QByteArray("a\r\nb\r\nx\r\n");
        QTest::newRow("CR LF chosen back, undone") << QByteArray("a\nb\n") << "LWCu"
                                                   << "CRLF"
                                                   << "CR LF" << true << QByteArray("a\r\nb\r\nx\r\n");
    }

    void lineBreakStyleFollowsUndo() {
        QFETCH(QByteArray, file);
        QFETCH(QString, steps);
        QFETCH(QString, panel);
        QFETCH(QString, checked);
        QFETCH(bool, modified);
        QFETCH(QByteArray, saved);
        Fixture f;
        const QString path = f.open(QStringLiteral("doc.txt"), file.toStdString());
        TextView* memo = f.w->textView();
        for (const QChar step : steps) {
            switch (step.toLatin1()) {
                case 'L':
                    Choice(*f.w, CommandId::LineBreak, "LF")->trigger();
                    break;
                case 'C':
                    Choice(*f.w, CommandId::LineBreak, "CR")->trigger();
                    break;
                case 'W':
                    Choice(*f.w, CommandId::LineBreak, "CR LF")->trigger();
                    break;
                case 'u':
                    QTest::keyClick(memo, Qt::Key_Z, Qt::ControlModifier);
                    break;
                case 'r':
                    QTest::keyClick(memo, Qt::Key_Y, Qt::ControlModifier);
                    break;
                case 'U':
                    QVERIFY(f.w->commands().runCommand(CommandId::Undo));
                    break;
                case 't':
                    QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
                    TypeText(memo, QStringLiteral("y"));
                    break;
            }
        }
        QCoreApplication::processEvents();
        QCOMPARE(f.panel(), QStringLiteral("Shift_JIS  ") + panel);
        f.w->commands().updateCommands();
        for (const char* c : {"CR LF", "LF", "CR"})
            QCOMPARE(Choice(*f.w, CommandId::LineBreak, c)->isChecked(), checked == QLatin1String(c));
        QCOMPARE(f.w->document()->isModified(), modified);
        QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
        TypeText(memo, QStringLiteral("x"));
        QTest::keyClick(memo, Qt::Key_Return);
        f.save();
        QCOMPARE(QByteArray::fromStdString(f.box.readFile(path)), saved);
    }

    // The column counts cp932 widths in every encoding: half-width 1, any other character 2.
    void columnsInOtherEncodings() {
        Fixture f;
        f.open(QStringLiteral("doc.txt"), "a\xc3\xa9\xed\x95\x9c\xf0\x9f\x98\x80\xef\xbd\xb6\xe6\xbc\xa2|\n");
        QTest::keyClick(f.w->textView(), Qt::Key_End);
        f.w->TrackCaret();
        QCOMPARE(f.w->textView()->CaretColumn(), 1 + 1 + 2 + 2 + 1 + 2 + 1);
        QCOMPARE(f.w->StatusText(), QStringLiteral("1行: 11列"));
    }
};

QTEST_MAIN(EncodingsTest)
#include "tst_encodings.moc"
