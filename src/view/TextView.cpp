#include "view/TextView.h"

#include <Qsci/qscicommandset.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>

#include "platform/Cp932.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"
#include "settings/FontStandIn.h"
#include "view/EnteringText.h"
#include "view/PlainEditKeys.h"
#include "view/TextViewAccessible.h"
#include "widgets/ShownFont.h"

namespace oruvan {

int TextView::eolMode(LineBreak b) {
    return b == LineBreak::Lf ? SC_EOL_LF : b == LineBreak::Cr ? SC_EOL_CR : SC_EOL_CRLF;
}

std::string TextView::enteringText(std::string_view in, bool& altered) const {
    return EnteringText(in, m_encoding, m_breakStyle, altered);
}

QString TextView::enteringText(const QString& text) const {
    const QByteArray u = text.toUtf8();
    bool altered = false;
    const std::string safe =
        enteringText(std::string_view(u.constData(), static_cast<std::size_t>(u.size())), altered);
    return altered ? QString::fromStdString(safe) : text;
}

TextView::TextView(QWidget* parent) : QsciScintilla(parent) {
    TextViewAccessible::Install();
    setUtf8(true);
    setMarginWidth(0, 0);
    setMarginWidth(1, 0);
    setMarginWidth(2, 0);
    setMarginLineNumbers(0, false);
    setFolding(QsciScintilla::NoFoldStyle);
    setAutoIndent(false);
    setBraceMatching(QsciScintilla::NoBraceMatch);
    setAutoCompletionSource(QsciScintilla::AcsNone);
    setCaretLineVisible(false);
    // No annotations are shown; while they may be, every edit re-wraps its whole line to measure them.
    setAnnotationDisplay(QsciScintilla::AnnotationHidden);
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    SendScintilla(SCI_SETPASTECONVERTENDINGS, 1);
    SendScintilla(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    SendScintilla(SCI_SETIDLESTYLING, SC_IDLESTYLING_NONE);
    applyDocumentSettings();
    KeepPlainEditKeys(*standardCommands());
    SendScintilla(SCI_INDICSETSTYLE, KeptCodeMarks::kIndicator, static_cast<long>(INDIC_HIDDEN));
    SetWordWrap(false);
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &TextView::onModified);
    setUpFoldMargin();
    m_font = QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
    SetFont(m_font);
}

void TextView::applyDocumentSettings() {
    // Code page, line end mode and tabs belong to the document, so a swapped-in document needs them.
    m_positions.forgetColumn();
    SendScintilla(SCI_SETCODEPAGE, SC_CP_UTF8);
    SendScintilla(SCI_SETEOLMODE, eolMode(m_breakStyle));
    SendScintilla(SCI_SETTABWIDTH, 8);
    SendScintilla(SCI_SETUSETABS, 1);
    // A change of code page resets the representations. Bytes that are not cp932 show as hex blobs,
    // as QScintilla shows bytes that are not UTF-8.
    for (int b = 0; b < 256; ++b) {
        char repr[8];
        std::snprintf(repr, sizeof repr, "x%02X", b);
        std::string raw;
        oruvan::AppendUtf8(kRawByteBase + static_cast<unsigned char>(b), raw);
        SendScintilla(SCI_SETREPRESENTATION, raw.c_str(), repr);
    }
    // Insert and delete notifications stay off: QScintilla answers each with an accessibility event
    // whose position it counts from the start of the document, a cost that grows with the file. The
    // SC_PERFORMED_* bits would let them through again, so the mask holds the "before" kinds alone, and
    // the undo steps of break conversions.
    SendScintilla(SCI_SETMODEVENTMASK, SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE | SC_MOD_CONTAINER);
}

void TextView::onModified(int position, int modificationType, const char*, int length, int, int, int, int,
                          int token, int) {
    if (modificationType & SC_MOD_CONTAINER) {
        restoreBreakStyle(token, modificationType & SC_PERFORMED_UNDO);
        return;
    }
    if (modificationType & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) {
        m_positions.textAboutToChange(position, length, modificationType & SC_MOD_BEFOREINSERT);
        Q_EMIT aboutToChange(position, length, modificationType & SC_MOD_BEFOREINSERT);
    }
    if (m_loading) return;
    m_kept.trackEdit(position, modificationType, length);
    // Reported once the edit is complete, so listeners see the caret where it ends up.
    if (!m_changePending) {
        m_changePending = true;
        QTimer::singleShot(0, this, [this] {
            m_changePending = false;
            if (!m_composing) Q_EMIT changed();
            announceCaret();
        });
    }
}

void TextView::keyPressEvent(QKeyEvent* e) {
    Q_EMIT keyDown(e);
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (e->key() == Qt::Key_Tab && mods == Qt::NoModifier) {
        // A tab replaces the selection, as in a plain edit box; QScintilla would indent selected lines.
        SendScintilla(SCI_REPLACESEL, "\t");
        e->accept();
        return;
    }
    const QString text = e->text();
    if (!text.isEmpty() && (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        // A key held with Ctrl or Alt either runs a command or does nothing; it never types its letter.
        QKeyEvent bare(e->type(), e->key(), e->modifiers(), e->nativeScanCode(), e->nativeVirtualKey(),
                       e->nativeModifiers(), QString(), e->isAutoRepeat(), e->count());
        QsciScintilla::keyPressEvent(&bare);
        e->setAccepted(bare.isAccepted());
        return;
    }
    const QString safe = enteringText(text);
    if (safe.size() > 1) {
        // The view types one UTF-16 unit from a key (more throws an exception out of it); a character
        // beyond the first unit, or a key that gives several, is committed as an input method would.
        QInputMethodEvent commit;
        commit.setCommitString(safe);
        QsciScintilla::inputMethodEvent(&commit);
        e->accept();
        return;
    }
    if (safe != text) {
        QKeyEvent filtered(e->type(), e->key(), e->modifiers(), e->nativeScanCode(), e->nativeVirtualKey(),
                           e->nativeModifiers(), safe, e->isAutoRepeat(), e->count());
        QsciScintilla::keyPressEvent(&filtered);
        e->setAccepted(filtered.isAccepted());
        return;
    }
    QsciScintilla::keyPressEvent(e);
}

void TextView::inputMethodEvent(QInputMethodEvent* e) {
    if (!e->commitString().isEmpty() && !e->preeditString().isEmpty()) {
        // The view shows no text to compose that comes with a commit: the commit goes in first.
        QInputMethodEvent commit;
        commit.setCommitString(e->commitString(), e->replacementStart(), e->replacementLength());
        inputMethodEvent(&commit);
        QInputMethodEvent rest(e->preeditString(), e->attributes());
        inputMethodEvent(&rest);
        e->accept();
        return;
    }
    // Every event replaces the text being composed, an empty one takes it out.
    m_composing = !e->preeditString().isEmpty();
    ++m_inputMethodEvents;
    m_preedit = e->preeditString();
    m_preeditAttributes = e->attributes();
    const QString safe = enteringText(e->commitString());
    if (safe == e->commitString()) {
        QsciScintilla::inputMethodEvent(e);
        return;
    }
    QInputMethodEvent filtered(e->preeditString(), e->attributes());
    filtered.setCommitString(safe, e->replacementStart(), e->replacementLength());
    QsciScintilla::inputMethodEvent(&filtered);
    e->setAccepted(filtered.isAccepted());
}

void TextView::EndComposition() {
    if (!m_composing) return;
    // The input method commits what it shows and forgets it (fcitx5 does so on a reset).
    QGuiApplication::inputMethod()->reset();
    if (!m_composing) return;
    // It did not (none runs, or it drops its text on a reset): the text shown is committed here,
    // never lost.
    QInputMethodEvent commit;
    commit.setCommitString(m_preedit);
    inputMethodEvent(&commit);
}

void TextView::dropEvent(QDropEvent* e) {
    EndComposition();
    QsciScintilla::dropEvent(e);
}

// The view answers in its viewport's coordinates; the input method places its candidates by the widget's.
QVariant TextView::inputMethodQuery(Qt::InputMethodQuery query) const {
    QVariant answer = QsciScintilla::inputMethodQuery(query);
    if (query == Qt::ImCursorRectangle && answer.canConvert<QRect>())
        answer = answer.toRect().translated(viewport()->pos());
    return answer;
}

// The view holds the text being composed as a tentative edit: an empty event undoes it, and the
// same event again redoes it, neither leaving a trace in the undo history.
TextView::ComposingAside::ComposingAside(TextView* view) : m_view(view) {
    if (!view->m_composing) return;
    const long length = view->Utf8Length();
    QInputMethodEvent out;
    view->QsciScintilla::inputMethodEvent(&out);
    if (view->Utf8Length() == length) return;  // a read-only view holds none
    view->m_composing = false;
    m_events = view->m_inputMethodEvents;
}

TextView::ComposingAside::~ComposingAside() {
    // Unless the input method has spoken meanwhile, its text goes back.
    if (m_events < 0 || m_view->m_inputMethodEvents != m_events) return;
    QInputMethodEvent back(m_view->m_preedit, m_view->m_preeditAttributes);
    m_view->QsciScintilla::inputMethodEvent(&back);
    m_view->m_composing = true;
}

QByteArray TextView::fromMimeData(const QMimeData* source, bool& rectangular) const {
    // Every paste and drop of text comes through here.
    const QByteArray text = QsciScintilla::fromMimeData(source, rectangular);
    bool altered = false;
    const std::string safe =
        enteringText(std::string_view(text.constData(), static_cast<std::size_t>(text.size())), altered);
    return altered ? QByteArray(safe.data(), static_cast<qsizetype>(safe.size())) : text;
}

void TextView::keyReleaseEvent(QKeyEvent* e) {
    QsciScintilla::keyReleaseEvent(e);
    Q_EMIT keyUp(e);
    announceCaret();
}

// The caret's character offset costs a count from the start, so it is paid only for a listener.
void TextView::announceCaret() {
    if (!QAccessible::isActive()) return;
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    QAccessibleTextCursorEvent ev(this, static_cast<int>(SendScintilla(SCI_COUNTCHARACTERS, 0UL, pos)));
    QAccessible::updateAccessibility(&ev);
}

void TextView::mousePressEvent(QMouseEvent* e) {
    // A click ends the composition where it stands, as in every text field, rather than carry it along.
    EndComposition();
    QsciScintilla::mousePressEvent(e);
    Q_EMIT mouseDown(e);
}

void TextView::wheelEvent(QWheelEvent* e) {
    // The view has no zoom: with Ctrl the wheel scrolls as the scroll area does.
    if (e->modifiers() & Qt::ControlModifier)
        QAbstractScrollArea::wheelEvent(e);
    else
        QsciScintilla::wheelEvent(e);
}

void TextView::contextMenuEvent(QContextMenuEvent* e) {
    if (m_contextMenu) m_contextMenu->exec(e->globalPos());
}

void TextView::DeleteSelection() {
    EndComposition();
    SendScintilla(SCI_CLEAR);
}

void TextView::GoToLine(int line) { SendScintilla(SCI_GOTOLINE, static_cast<unsigned long>(line)); }

void TextView::Clear() {
    m_loading = true;
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    m_loading = false;
    m_composing = false;  // the text being composed went with the rest
    m_kept.forgetAll();
    m_encoding = Encoding::ShiftJis;
    m_mixedBreaks = false;
    m_breakStyle = LineBreak::CrLf;
    SendScintilla(SCI_SETEOLMODE, eolMode(m_breakStyle));
}

void TextView::SetDocumentEncoding(Encoding e) {
    // Bytes kept as read are in the old encoding; a byte order mark alone changes none of them.
    if (WithByteOrderMark(e, false) != WithByteOrderMark(m_encoding, false)) m_kept.forgetAll();
    m_encoding = e;
}

void TextView::SetBreakStyle(LineBreak b) {
    // The style is part of the step: undone, the breaks and the style the next save writes come back
    // together.
    EndComposition();
    m_breakChanges.push_back({m_breakStyle, b, m_mixedBreaks});
    m_breakStyle = b;
    m_mixedBreaks = false;
    SendScintilla(SCI_SETEOLMODE, eolMode(b));
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_ADDUNDOACTION, m_breakChanges.size() - 1, 0L);
    SendScintilla(SCI_CONVERTEOLS, eolMode(b));
    SendScintilla(SCI_ENDUNDOACTION);
}

void TextView::restoreBreakStyle(long change, bool undone) {
    if (change < 0 || change >= static_cast<long>(m_breakChanges.size())) return;
    const BreakChange& c = m_breakChanges[static_cast<std::size_t>(change)];
    m_breakStyle = undone ? c.before : c.after;
    m_mixedBreaks = undone && c.mixedBefore;
    SendScintilla(SCI_SETEOLMODE, eolMode(m_breakStyle));
    Q_EMIT breakStyleChanged();
}

void TextView::SetSelText(std::string_view cp932) {
    EndComposition();
    bool altered = false;
    const std::string u = enteringText(Cp932ToUtf8(cp932), altered);
    // A change that undo must not bring back: the history is cut here.
    SendScintilla(SCI_SETUNDOCOLLECTION, 0);
    SendScintilla(SCI_REPLACESEL, u.c_str());
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1);
}

bool TextView::CanUndo() const { return SendScintilla(SCI_CANUNDO) != 0; }
void TextView::Undo() {
    EndComposition();
    SendScintilla(SCI_UNDO);
}
bool TextView::CanRedo() const { return SendScintilla(SCI_CANREDO) != 0; }
void TextView::Redo() {
    EndComposition();
    SendScintilla(SCI_REDO);
}

std::string TextView::InsertableUtf8(std::string_view utf8) const {
    bool altered = false;
    return enteringText(utf8, altered);
}

void TextView::SetBackColor(const QColor& c) {
    m_backFromPalette = false;
    setPaper(c);
}

void TextView::SetTextColor(const QColor& c) {
    m_textFromPalette = false;
    setColor(c);
    setCaretForegroundColor(c);
}

void TextView::FollowPalette(bool back, bool text) {
    m_backFromPalette = back;
    m_textFromPalette = text;
    applyPalette();
}

void TextView::applyPalette() {
    const QPalette& p = palette();
    if (m_backFromPalette && paper() != p.color(QPalette::Base)) setPaper(p.color(QPalette::Base));
    if (m_textFromPalette && color() != p.color(QPalette::Text)) {
        setColor(p.color(QPalette::Text));
        setCaretForegroundColor(p.color(QPalette::Text));
    }
}

void TextView::changeEvent(QEvent* e) {
    QsciScintilla::changeEvent(e);
    if (e->type() == QEvent::PaletteChange) applyPalette();
}
void TextView::CutToClipboard() {
    EndComposition();
    SendScintilla(SCI_CUT);
}
void TextView::CopyToClipboard() { SendScintilla(SCI_COPY); }
void TextView::PasteFromClipboard() {
    EndComposition();
    SendScintilla(SCI_PASTE);
}
void TextView::SelectAll() {
    EndComposition();
    SendScintilla(SCI_SELECTALL);
}

void TextView::SetFontName(const QString& name) {
    QFont f = m_font;
    f.setFamily(name);
    const int size = m_fontSize;
    SetFont(f);
    m_fontSize = size;
}

void TextView::SetFontSize(int points) {
    QFont f = m_font;
    f.setPointSize(ShownPointSize(points));
    SetFont(f);
    m_fontSize = points;
}

void TextView::SetFont(const QFont& font) {
    m_font = font;
    // The size is kept in points (the settings store points); a font given in pixels is converted.
    if (m_font.pointSize() <= 0 && m_font.pixelSize() > 0)
        m_font.setPointSize(std::max(1, qRound(m_font.pixelSize() * 72.0 / std::max(1, logicalDpiY()))));
    m_fontSize = m_font.pointSize();
    const QFont shown = ShownFont(m_font);
    setFont(shown);
    QsciScintilla::setFont(shown);
    // QScintilla hands Scintilla the face name as Latin-1, which a Japanese name does not survive.
    for (const int style : {0, int(STYLE_DEFAULT)})
        SendScintilla(SCI_STYLESETFONT, style, shown.family().toUtf8().constData());
}

bool TextView::WordWrap() const { return SendScintilla(SCI_GETWRAPMODE) != SC_WRAP_NONE; }

void TextView::SetWordWrap(bool on) {
    // Set on Scintilla itself: QScintilla's setter would also cache the layout of every line.
    SendScintilla(SCI_SETWRAPMODE, on ? SC_WRAP_WORD : SC_WRAP_NONE);
    SendScintilla(SCI_SETHSCROLLBAR, on ? 0 : 1);
}

}  // namespace oruvan
