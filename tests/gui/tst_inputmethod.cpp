// Japanese input through an input method, sent as the events one sends: the text being composed shows in
// place, and only committed text counts as an edit, a search or a filter.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include "dialogs/SettingsDialog.h"
#include "helpers/TestSupport.h"
#include "view/TextView.h"
#include "widgets/FindBar.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

using Sci = QsciScintillaBase;

void Compose(QObject* to, const QString& preedit) {
    QInputMethodEvent e(preedit, {{QInputMethodEvent::Cursor, int(preedit.size()), 1, {}}});
    QCoreApplication::sendEvent(to, &e);
}

void Commit(QObject* to, const QString& text, const QString& preedit = {}) {
    QInputMethodEvent e(preedit, {});
    e.setCommitString(text);
    QCoreApplication::sendEvent(to, &e);
}

void Cancel(QObject* to) {
    QInputMethodEvent e;
    QCoreApplication::sendEvent(to, &e);
}

const std::string kDocument = Sjis("//@一\r\nbody\r\n//@二\r\nmore\r\n");

}  // namespace

class InputMethodTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }
    void init() {
        m_box = std::make_unique<Sandbox>();
        m_w = m_box->makeWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
        m_file = m_box->writeFile(QStringLiteral("a.txt"), kDocument);
        m_w->document()->open(m_file);
        view()->setFocus();
        QCoreApplication::processEvents();
    }
    void cleanup() {
        m_w.reset();
        m_box.reset();
    }

    // Text being composed stands in the view but is no edit: no 変更あり, no re-index, no section count
    // taken with it. Given up, it leaves the document as it was; committed, it is an edit like typing.
    void onlyCommittedTextIsAnEdit_data() {
        QTest::addColumn<bool>("commit");
        QTest::newRow("given up") << false;
        QTest::newRow("committed") << true;
    }
    void onlyCommittedTextIsAnEdit() {
        QFETCH(bool, commit);
        auto* modified = m_w->findChild<QLabel*>(QStringLiteral("modifiedState"));
        auto* count = m_w->findChild<QLabel*>(QStringLiteral("sectionCount"));
        QTRY_VERIFY(!count->text().isEmpty());
        const QString counted = count->text();
        const int rebuilds = m_w->index()->rebuildCount();
        QSignalSpy changes(view(), &TextView::changed);
        setCaret(view()->Utf8LineStart(1));
        for (const char* reading : {"に", "にほ", "にほんご", "日本語"}) {
            Compose(view(), U(reading));
            QCoreApplication::processEvents();
        }
        QCOMPARE(view()->GetText(), Sjis("//@一\r\n日本語body\r\n//@二\r\nmore\r\n"));
        QCOMPARE(changes.size(), 0);
        QVERIFY(!m_w->index()->reindexTimer()->isActive());
        QCOMPARE(modified->text(), QString());
        QVERIFY(!m_w->document()->isModified());
        QTest::qWait(20);
        QCOMPARE(count->text(), counted);

        if (commit)
            Commit(view(), U("日本語"));
        else
            Cancel(view());
        QCoreApplication::processEvents();
        QVERIFY(!view()->Composing());
        QCOMPARE(view()->GetText(), commit ? Sjis("//@一\r\n日本語body\r\n//@二\r\nmore\r\n") : kDocument);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(modified->text(), commit ? U("変更あり") : QString());
        QCOMPARE(m_w->document()->isModified(), commit);
        QTRY_COMPARE(count->text() != counted, commit);
        QVERIFY(m_w->index()->reindexTimer()->isActive());
        m_w->index()->reindexAfterEdits();
        QCOMPARE(m_w->index()->rebuildCount(), rebuilds + (commit ? 1 : 0));
    }

    // The input method is told the caret's rectangle, in the middle of a scrolled view: its candidate
    // window opens there.
    void candidatesOpenAtTheCaret() {
        std::string text;
        for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + "\r\n";
        m_w->document()->open(m_box->writeFile(QStringLiteral("long.txt"), text));
        view()->setFocus();
        setCaret(view()->Utf8LineStart(120) + 2);
        view()->SendScintilla(Sci::SCI_SCROLLCARET);
        Compose(view(), U("にほん"));
        const long caret = view()->SendScintilla(Sci::SCI_GETCURRENTPOS);
        QCOMPARE(caret, view()->Utf8LineStart(120) + 2 + long(U("にほん").toUtf8().size()));
        const QRect r = static_cast<QWidget*>(view())->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int x = int(view()->SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, caret));
        const int y = int(view()->SendScintilla(Sci::SCI_POINTYFROMPOSITION, 0UL, caret));
        const QPoint inView = view()->viewport()->mapTo(view(), QPoint(x, y));
        QCOMPARE(r.topLeft(), inView);
        QCOMPARE(r.height(), int(view()->SendScintilla(Sci::SCI_TEXTHEIGHT, 120UL)));
        QVERIFY(view()->rect().contains(r));
    }

    // Closing while composing asks only about committed edits, and a save then closes the window.
    void closingWhileComposing_data() {
        QTest::addColumn<bool>("edited");
        QTest::newRow("nothing committed") << false;
        QTest::newRow("an edit committed") << true;
    }
    void closingWhileComposing() {
        QFETCH(bool, edited);
        m_boxes.answer(Answer::Yes);
        setCaret(view()->Utf8LineStart(1));
        if (edited) Commit(view(), U("表"));
        Compose(view(), U("にほん"));
        QVERIFY(m_w->close());
        QCOMPARE(m_boxes.texts().contains(U("文書は変更されています。保存しますか？")), edited);
        QCOMPARE(m_box->readFile(QStringLiteral("a.txt")),
                 edited ? Sjis("//@一\r\n表body\r\n//@二\r\nmore\r\n") : kDocument);
    }

    // One event may commit text and go on composing: both show, a save meanwhile writes the commit, and
    // the commit is an edit once the composition ends.
    void commitAndComposeInOneEvent() {
        setCaret(view()->Utf8LineStart(1));
        Compose(view(), U("にほん"));
        Commit(view(), U("日本"), U("ご"));
        QCoreApplication::processEvents();
        QVERIFY(view()->Composing());
        QCOMPARE(view()->GetText(), Sjis("//@一\r\n日本ごbody\r\n//@二\r\nmore\r\n"));
        m_w->commands().runCommand(CommandId::Save);
        QCOMPARE(m_box->readFile(QStringLiteral("a.txt")), Sjis("//@一\r\n日本body\r\n//@二\r\nmore\r\n"));
        Commit(view(), U("語"));
        QCoreApplication::processEvents();
        QVERIFY(!view()->Composing());
        QCOMPARE(view()->GetText(), Sjis("//@一\r\n日本語body\r\n//@二\r\nmore\r\n"));
        QVERIFY(m_w->document()->isModified());
    }

    // Another document opened mid-composition holds none of it: its edits are edits again.
    void openingEndsTheComposition() {
        Compose(view(), U("にほん"));
        m_w->document()->open(m_box->writeFile(QStringLiteral("b.txt"), Sjis("//@三\r\n")));
        QVERIFY(!view()->Composing());
        QSignalSpy changes(view(), &TextView::changed);
        QTest::keyClicks(view(), QStringLiteral("x"));
        QTRY_COMPARE(changes.size(), 1);
        QVERIFY(m_w->document()->isModified());
        QVERIFY(m_w->index()->reindexTimer()->isActive());
    }

    // The find field searches as text is committed into it, never for the reading being composed.
    void findFieldSearchesCommittedText() {
        QTest::keyClick(view(), Qt::Key_F, Qt::ControlModifier);
        // The input method speaks to the focused drop-down, which hands its field the text.
        QComboBox* box = m_w->findBar()->FindField();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box));
        QLineEdit* field = box->lineEdit();
        const long before = view()->SendScintilla(Sci::SCI_GETCURRENTPOS);
        Compose(box, U("に"));
        Compose(box, U("二"));
        QCOMPARE(field->text(), QString());
        QCOMPARE(view()->SendScintilla(Sci::SCI_GETCURRENTPOS), before);
        Commit(box, U("二"));
        QCOMPARE(field->text(), U("二"));
        QCOMPARE(view()->selectedText(), U("二"));
        QCOMPARE(view()->SendScintilla(Sci::SCI_GETSELECTIONSTART), view()->Utf8LineStart(2) + 3);
    }

    // The heading filter keeps the headings of the committed words only.
    void filterFiltersCommittedText() {
        QTest::keyClick(view(), Qt::Key_J, Qt::ControlModifier);
        HeadingFilterField* field = m_w->index()->filterField();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));
        const QAbstractItemModel* rows = m_w->index()->headingList()->model();
        Compose(field, U("二"));
        QCOMPARE(rows->rowCount(), 2);
        Commit(field, U("二"));
        QCOMPARE(rows->rowCount(), 1);
        QCOMPARE(rows->index(0, 0).data().toString(), U("二"));
    }

    // The settings dialog's title marks take committed text; a reading still composed is not a mark.
    void titleMarksTakeCommittedText() {
        SettingsDialog dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        dlg.titleMarksEdit->setFocus();
        Commit(dlg.titleMarksEdit, U("★"));
        Compose(dlg.titleMarksEdit, U("ほし"));
        QCOMPARE(dlg.TitleMarks(), TitleMarkList{Sjis("★")});
        Commit(dlg.titleMarksEdit, U("☆"));
        QCOMPARE(dlg.TitleMarks(), TitleMarkList{Sjis("★☆")});
    }

    // An edit of the program's own beside a composition (a command, a click elsewhere) first commits it
    // where it stands; the input method's next word then neither takes that edit back nor moves the text.
    void editsBesideACompositionCommitItFirst_data() {
        QTest::addColumn<int>("edit");
        QTest::addColumn<QByteArray>("edited");  // UTF-8, after the edit
        QTest::addColumn<QByteArray>("typedOn");  // UTF-8, after 語 is typed next
        const auto row = [](const char* name, int edit, const char* edited, const char* typedOn) {
            QTest::newRow(name) << edit << QByteArray(edited) << QByteArray(typedOn);
        };
        row("paste", int(CommandId::Paste), "//@一\r\nにほんCLIPbody\r\n//@二\r\nmore\r\n",
            "//@一\r\nにほんCLIP語body\r\n//@二\r\nmore\r\n");
        row("undo takes back the commit", int(CommandId::Undo), "//@一\r\nbody\r\n//@二\r\nmore\r\n",
            "//@一\r\n語body\r\n//@二\r\nmore\r\n");
        row("select all, delete", -1, "", "語");
        row("section moved down", int(CommandId::SectionDown), "//@二\r\nmore\r\n//@一\r\nにほんbody\r\n",
            "//@二\r\nmore\r\n語//@一\r\nにほんbody\r\n");
        row("click elsewhere", -2, "//@一\r\nにほんbody\r\n//@二\r\nmore\r\n",
            "//@一\r\nにほんbody\r\n//@二\r\nmore\r\n語");
    }
    void editsBesideACompositionCommitItFirst() {
        QFETCH(int, edit);
        QFETCH(QByteArray, edited);
        QFETCH(QByteArray, typedOn);
        QApplication::clipboard()->setText(QStringLiteral("CLIP"));
        setCaret(view()->Utf8LineStart(1));
        Compose(view(), U("にほん"));
        if (edit == -1) {
            QVERIFY(m_w->commands().runCommand(CommandId::SelectAll));
            QVERIFY(m_w->commands().runCommand(CommandId::Delete));
        } else if (edit == -2) {
            const long end = view()->Utf8Length();
            const QPoint at(int(view()->SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, end)) + 1,
                            int(view()->SendScintilla(Sci::SCI_POINTYFROMPOSITION, 0UL, end)) + 2);
            QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, at);
        } else {
            QVERIFY(m_w->commands().runCommand(CommandId(edit)));
        }
        QVERIFY(!view()->Composing());
        QCOMPARE(QByteArray(view()->Utf8Buffer().data(), qsizetype(view()->Utf8Length())), edited);
        Compose(view(), U("ご"));
        Commit(view(), U("語"));
        QCOMPARE(QByteArray(view()->Utf8Buffer().data(), qsizetype(view()->Utf8Length())), typedOn);
    }

private:
    TextView* view() const { return m_w->textView(); }
    void setCaret(long pos) { view()->SendScintilla(Sci::SCI_GOTOPOS, static_cast<unsigned long>(pos)); }

    MessageBoxRecorder m_boxes;  // a question no test expects is answered Cancel, not waited on
    std::unique_ptr<Sandbox> m_box;
    std::unique_ptr<MainWindow> m_w;
    QString m_file;
};

QTEST_MAIN(InputMethodTest)
#include "tst_inputmethod.moc"
