#include "app/TextView.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QSaveFile>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>

#include "app/TextViewAccessible.h"
#include "app/UserError.h"
#include "platform/Cp932.h"
#include "settings/FontStandIn.h"
#include "widgets/ShownFont.h"

namespace oruvan {

namespace {

constexpr qint64 kChunk = 4 << 20;
// Offsets far from the caret are found by skipping whole blocks of lines of about this size.
constexpr std::size_t kScanBlock = 1 << 16;

constexpr int kShift = Qt::SHIFT;
constexpr int kCtrl = Qt::CTRL;
constexpr int kAlt = Qt::ALT;

// The edit-control keys a plain text box has; QScintilla's other bindings are dropped.
struct KeyBinding {
    QsciCommand::Command command;
    int key;
    int alternate;
};
const KeyBinding kKeyBindings[] = {
    {QsciCommand::LineDown, Qt::Key_Down, 0},
    {QsciCommand::LineDownExtend, Qt::Key_Down | kShift, 0},
    {QsciCommand::LineUp, Qt::Key_Up, 0},
    {QsciCommand::LineUpExtend, Qt::Key_Up | kShift, 0},
    {QsciCommand::CharLeft, Qt::Key_Left, 0},
    {QsciCommand::CharLeftExtend, Qt::Key_Left | kShift, 0},
    {QsciCommand::CharRight, Qt::Key_Right, 0},
    {QsciCommand::CharRightExtend, Qt::Key_Right | kShift, 0},
    {QsciCommand::WordLeft, Qt::Key_Left | kCtrl, 0},
    {QsciCommand::WordLeftExtend, Qt::Key_Left | kCtrl | kShift, 0},
    {QsciCommand::WordRight, Qt::Key_Right | kCtrl, 0},
    {QsciCommand::WordRightExtend, Qt::Key_Right | kCtrl | kShift, 0},
    {QsciCommand::HomeDisplay, Qt::Key_Home, 0},
    {QsciCommand::HomeDisplayExtend, Qt::Key_Home | kShift, 0},
    {QsciCommand::LineEndDisplay, Qt::Key_End, 0},
    {QsciCommand::LineEndDisplayExtend, Qt::Key_End | kShift, 0},
    {QsciCommand::DocumentStart, Qt::Key_Home | kCtrl, 0},
    {QsciCommand::DocumentStartExtend, Qt::Key_Home | kCtrl | kShift, 0},
    {QsciCommand::DocumentEnd, Qt::Key_End | kCtrl, 0},
    {QsciCommand::DocumentEndExtend, Qt::Key_End | kCtrl | kShift, 0},
    {QsciCommand::PageUp, Qt::Key_PageUp, 0},
    {QsciCommand::PageUpExtend, Qt::Key_PageUp | kShift, 0},
    {QsciCommand::PageDown, Qt::Key_PageDown, 0},
    {QsciCommand::PageDownExtend, Qt::Key_PageDown | kShift, 0},
    {QsciCommand::Delete, Qt::Key_Delete, 0},
    {QsciCommand::DeleteBack, Qt::Key_Backspace, Qt::Key_Backspace | kShift},
    {QsciCommand::DeleteWordLeft, Qt::Key_Backspace | kCtrl, 0},
    {QsciCommand::DeleteWordRight, Qt::Key_Delete | kCtrl, 0},
    {QsciCommand::Newline, Qt::Key_Return, Qt::Key_Enter},
    {QsciCommand::Tab, Qt::Key_Tab, 0},
    {QsciCommand::Cancel, Qt::Key_Escape, 0},
    {QsciCommand::EditToggleOvertype, Qt::Key_Insert, 0},
    {QsciCommand::SelectionCut, Qt::Key_X | kCtrl, Qt::Key_Delete | kShift},
    {QsciCommand::SelectionCopy, Qt::Key_C | kCtrl, Qt::Key_Insert | kCtrl},
    {QsciCommand::Paste, Qt::Key_V | kCtrl, Qt::Key_Insert | kShift},
    {QsciCommand::Undo, Qt::Key_Z | kCtrl, Qt::Key_Backspace | kAlt},
    {QsciCommand::SelectAll, Qt::Key_A | kCtrl, 0},
};

// The UTF-8 of the code point that stands for a byte that is not valid cp932.
std::string rawByteUtf8(unsigned char b) {
    const char32_t c = kRawByteBase + b;
    return {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
            static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
}

// Length of the UTF-8 sequence at s[i] and its code point; 0 when it is not valid UTF-8.
std::size_t readUtf8(std::string_view s, std::size_t i, char32_t& c) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t n = b < 0x80                 ? 1
                          : b >= 0xC2 && b <= 0xDF ? 2
                          : b >= 0xE0 && b <= 0xEF ? 3
                          : b >= 0xF0 && b <= 0xF4 ? 4
                                                   : 0;
    if (n == 0 || i + n > s.size()) return 0;
    c = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
    for (std::size_t k = 1; k < n; ++k) {
        const auto t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        c = c << 6 | (t & 0x3F);
    }
    const bool overlong = (n == 3 && c < 0x800) || (n == 4 && c < 0x10000);
    if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return n;
}

long lfCount(std::string_view u) { return static_cast<long>(std::count(u.begin(), u.end(), '\n')); }

// Text about to enter the view: a character cp932 cannot hold becomes '?', so what is shown is what
// Save writes, and CR LF or a lone CR becomes LF. Sets `altered` when anything changed.
std::string cp932Safe(std::string_view in, bool& altered) {
    std::string out;
    out.reserve(in.size());
    altered = false;
    for (std::size_t i = 0; i < in.size();) {
        const char b = in[i];
        if (b == '\r') {
            out.push_back('\n');
            i += i + 1 < in.size() && in[i + 1] == '\n' ? 2 : 1;
            altered = true;
            continue;
        }
        if (static_cast<unsigned char>(b) < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        char32_t c = 0;
        const std::size_t n = readUtf8(in, i, c);
        const std::string_view ch = in.substr(i, n ? n : 1);
        if (n != 0 && IsCp932Encodable(c)) {
            out.append(ch);
        } else {
            out.push_back('?');
            altered = true;
        }
        i += ch.size();
    }
    return out;
}

QString cp932Safe(const QString& text) {
    const QByteArray u = text.toUtf8();
    bool altered = false;
    const std::string safe =
        cp932Safe(std::string_view(u.constData(), static_cast<std::size_t>(u.size())), altered);
    return altered ? QString::fromStdString(safe) : text;
}

}  // namespace

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
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    SendScintilla(SCI_SETPASTECONVERTENDINGS, 1);
    SendScintilla(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    SendScintilla(SCI_SETIDLESTYLING, SC_IDLESTYLING_NONE);
    applyDocumentSettings();
    removeForeignKeyBindings();
    SetWordWrap(false);
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &TextView::onModified);
    m_font = QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
    SetFont(m_font);
}

void TextView::applyDocumentSettings() {
    // Code page, line end mode and tabs belong to the document, so a swapped-in document needs them.
    SendScintilla(SCI_SETCODEPAGE, SC_CP_UTF8);
    SendScintilla(SCI_SETEOLMODE, SC_EOL_LF);
    SendScintilla(SCI_SETTABWIDTH, 8);
    SendScintilla(SCI_SETUSETABS, 1);
    // A change of code page resets the representations. Bytes that are not cp932 show as hex blobs,
    // as QScintilla shows bytes that are not UTF-8.
    for (int b = 0; b < 256; ++b) {
        char repr[8];
        std::snprintf(repr, sizeof repr, "x%02X", b);
        SendScintilla(SCI_SETREPRESENTATION, rawByteUtf8(static_cast<unsigned char>(b)).c_str(), repr);
    }
    // Insert and delete notifications stay off: QScintilla answers each with an accessibility event
    // whose position it counts from the start of the document, a cost that grows with the file. The
    // SC_PERFORMED_* bits would let them through again, so the mask holds the "before" kinds alone.
    SendScintilla(SCI_SETMODEVENTMASK, SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE);
}

void TextView::removeForeignKeyBindings() {
    QsciCommandSet* set = standardCommands();
    for (QsciCommand* c : set->commands()) {
        c->setKey(0);
        c->setAlternateKey(0);
    }
    for (const KeyBinding& b : kKeyBindings) {
        if (QsciCommand* c = set->find(b.command)) {
            c->setKey(b.key);
            if (b.alternate) c->setAlternateKey(b.alternate);
        }
    }
}

void TextView::onModified(int position, int modificationType, const char*, int length, int, int, int, int,
                          int, int) {
    if (m_loading) return;
    if (!m_originals.empty()) {
        settleInsertion();
        if (modificationType & SC_MOD_BEFOREINSERT)
            m_pendingInsertion = {position, length};
        else if (modificationType & SC_MOD_BEFOREDELETE)
            trackDeletion(position, length);
    }
    // Reported once the edit is complete, so listeners see the caret where it ends up.
    if (!m_changePending) {
        m_changePending = true;
        QTimer::singleShot(0, this, [this] {
            m_changePending = false;
            Q_EMIT changed();
            announceCaret();
        });
    }
}

void TextView::settleInsertion() const {
    // The inserted text is read once it is in place (QScintilla does not pass it on).
    const auto [pos, length] = m_pendingInsertion;
    if (length <= 0) return;
    m_pendingInsertion = {};
    const std::string_view text = rangeUtf8(pos, pos + length);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, pos);
    const long breaks = lfCount(text);
    if (breaks == 0) {
        forgetOriginals(line, line);
        return;
    }
    // Whole lines put before or after a line leave its text as it was.
    if (pos == SendScintilla(SCI_POSITIONFROMLINE, line) && text.back() == '\n') {
        shiftOriginals(line, breaks);
        return;
    }
    if (text.front() != '\n' || pos + length != SendScintilla(SCI_GETLINEENDPOSITION, line + breaks))
        forgetOriginals(line, line);
    shiftOriginals(line + 1, breaks);
}

void TextView::trackDeletion(long pos, long length) {
    if (length <= 0) return;
    const long first = SendScintilla(SCI_LINEFROMPOSITION, pos);
    const long last = SendScintilla(SCI_LINEFROMPOSITION, pos + length);
    if (first == last) {
        forgetOriginals(first, first);
        return;
    }
    if (pos == SendScintilla(SCI_POSITIONFROMLINE, first) &&
        pos + length == SendScintilla(SCI_POSITIONFROMLINE, last)) {
        forgetOriginals(first, last - 1);  // whole lines go; the last one keeps its text
    } else if (pos == SendScintilla(SCI_GETLINEENDPOSITION, first) &&
               pos + length == SendScintilla(SCI_GETLINEENDPOSITION, last)) {
        forgetOriginals(first + 1, last);  // whole lines go after the first one
    } else {
        forgetOriginals(first, last);
    }
    shiftOriginals(last, first - last);
}

void TextView::forgetOriginals(long firstLine, long lastLine) const {
    auto lo = std::lower_bound(m_originals.begin(), m_originals.end(), firstLine,
                               [](const Original& o, long l) { return o.line < l; });
    auto hi = std::upper_bound(lo, m_originals.end(), lastLine,
                               [](long l, const Original& o) { return l < o.line; });
    m_originals.erase(lo, hi);
}

void TextView::shiftOriginals(long fromLine, long delta) const {
    auto it = std::lower_bound(m_originals.begin(), m_originals.end(), fromLine,
                               [](const Original& o, long l) { return o.line < l; });
    for (; it != m_originals.end(); ++it) it->line += delta;
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
    const QString safe = cp932Safe(text);
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
    const QString safe = cp932Safe(e->commitString());
    if (safe == e->commitString()) {
        QsciScintilla::inputMethodEvent(e);
        return;
    }
    QInputMethodEvent filtered(e->preeditString(), e->attributes());
    filtered.setCommitString(safe, e->replacementStart(), e->replacementLength());
    QsciScintilla::inputMethodEvent(&filtered);
    e->setAccepted(filtered.isAccepted());
}

QByteArray TextView::fromMimeData(const QMimeData* source, bool& rectangular) const {
    // Every paste and drop of text comes through here.
    const QByteArray text = QsciScintilla::fromMimeData(source, rectangular);
    bool altered = false;
    const std::string safe =
        cp932Safe(std::string_view(text.constData(), static_cast<std::size_t>(text.size())), altered);
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
    QMenu menu(this);
    QAction* undo = menu.addAction(QStringLiteral("元に戻す(&U)"), this, [this] { Undo(); });
    undo->setEnabled(CanUndo());
    menu.addSeparator();
    const bool sel = HasSelection();
    menu.addAction(QStringLiteral("切り取り(&T)"), this, [this] { CutToClipboard(); })->setEnabled(sel);
    menu.addAction(QStringLiteral("コピー(&C)"), this, [this] { CopyToClipboard(); })->setEnabled(sel);
    menu.addAction(QStringLiteral("貼り付け(&P)"), this, [this] { PasteFromClipboard(); });
    menu.addAction(QStringLiteral("削除(&D)"), this, [this] { SendScintilla(SCI_CLEAR); })->setEnabled(sel);
    menu.addSeparator();
    menu.addAction(QStringLiteral("すべて選択(&A)"), this, [this] { SelectAll(); });
    menu.exec(e->globalPos());
}

std::string_view TextView::Utf8Buffer() const {
    const char* p = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return p ? std::string_view(p, static_cast<std::size_t>(Utf8Length())) : std::string_view();
}

long TextView::Utf8Length() const { return SendScintilla(SCI_GETLENGTH); }

std::string_view TextView::rangeUtf8(long start, long end) const {
    if (start < 0 || end <= start) return {};
    // Moves the buffer's gap only when the range straddles it.
    const auto* p = reinterpret_cast<const char*>(
        SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start));
    return p ? std::string_view(p, static_cast<std::size_t>(end - start)) : std::string_view();
}

std::string_view TextView::lineUtf8(long line) const {
    return rangeUtf8(SendScintilla(SCI_POSITIONFROMLINE, line), SendScintilla(SCI_GETLINEENDPOSITION, line));
}

void TextView::Clear() {
    m_loading = true;
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    m_loading = false;
    m_originals.clear();
    m_pendingInsertion = {};
}

int TextView::LineCount() const {
    long lines = SendScintilla(SCI_GETLINECOUNT);
    if (SendScintilla(SCI_POSITIONFROMLINE, lines - 1) == Utf8Length()) --lines;
    return static_cast<int>(lines);
}

std::string TextView::LineAt(int i) const {
    if (i < 0 || i >= LineCount()) return {};
    const std::string_view u = lineUtf8(i);
    std::string out;
    Utf8ToCp932(u.substr(0, Utf8OffsetOfCp932(u, kLineAtLimit)), out);
    return out;
}

std::string TextView::GetLinesText() const {
    std::string out;
    const int n = LineCount();
    for (int i = 0; i < n; ++i) {
        const std::string_view u = lineUtf8(i);
        Utf8ToCp932(u.substr(0, Utf8OffsetOfCp932(u, kLineAtLimit)), out);
        out += "\r\n";
    }
    return out;
}

namespace {
// Appends the cp932 form of UTF-8 text with LF breaks, the breaks as CR LF.
void appendWithCrLf(std::string_view u, std::string& out) {
    std::size_t i = 0;
    while (i < u.size()) {
        const std::size_t j = u.find('\n', i);
        if (j == std::string_view::npos) {
            Utf8ToCp932(u.substr(i), out);
            break;
        }
        Utf8ToCp932(u.substr(i, j - i), out);
        out += "\r\n";
        i = j + 1;
    }
}
}  // namespace

std::string TextView::GetText() const {
    std::string out;
    appendWithCrLf(Utf8Buffer(), out);
    return out;
}

void TextView::LoadFromFile(const QString& path) {
    const QString message = QStringLiteral("ファイル %1 は開けません").arg(path);
    // Only a regular file: a FIFO or a device would block or never end. Opening does not wait on a FIFO,
    // and the check is made on what was opened.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw UserError(message);
    struct stat st {};
    QFile file;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw UserError(message);
    }

    // Load into a fresh document and swap it in only when the whole file was read.
    const long oldDoc = SendScintilla(SCI_GETDOCPOINTER);
    const long oldAnchor = SendScintilla(SCI_GETANCHOR);
    const long oldCaret = SendScintilla(SCI_GETCURRENTPOS);
    const long oldTop = SendScintilla(SCI_GETFIRSTVISIBLELINE);
    SendScintilla(SCI_ADDREFDOCUMENT, 0, oldDoc);
    // No style bytes: the whole text shows in one style, and a large file needs half the memory.
    const long newDoc =
        SendScintilla(SCI_CREATEDOCUMENT, 0UL, static_cast<long>(SC_DOCUMENTOPTION_STYLES_NONE));
    m_loading = true;
    SendScintilla(SCI_SETDOCPOINTER, 0, newDoc);
    SendScintilla(SCI_RELEASEDOCUMENT, 0, newDoc);
    applyDocumentSettings();
    SendScintilla(SCI_SETUNDOCOLLECTION, 0);

    Cp932Decoder decoder;
    bool ok = true;
    try {
        const qint64 size = st.st_size;
        if (size > 0) SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(size + size / 2 + 16));
        std::string chunk(static_cast<std::size_t>(std::min<qint64>(kChunk, std::max<qint64>(size, 1))),
                          '\0');
        std::string utf8;
        for (;;) {
            const qint64 got = file.read(chunk.data(), static_cast<qint64>(chunk.size()));
            if (got < 0) {
                ok = false;
                break;
            }
            utf8.clear();
            decoder.decode(std::string_view(chunk.data(), static_cast<std::size_t>(got)), got == 0, utf8);
            if (!utf8.empty())
                SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()), utf8.data());
            if (got == 0) break;
        }
    } catch (const std::exception&) {
        ok = false;
    }
    if (!ok) {
        SendScintilla(SCI_SETDOCPOINTER, 0, oldDoc);
        SendScintilla(SCI_RELEASEDOCUMENT, 0, oldDoc);
        applyDocumentSettings();
        SendScintilla(SCI_SETSEL, static_cast<unsigned long>(oldAnchor), oldCaret);
        SendScintilla(SCI_SETFIRSTVISIBLELINE, oldTop);
        m_loading = false;
        throw UserError(message);
    }
    SendScintilla(SCI_RELEASEDOCUMENT, 0, oldDoc);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSAVEPOINT);
    m_originals.clear();
    m_pendingInsertion = {};
    try {
        if (!decoder.nonCanonicalLines().empty()) collectOriginals(file, decoder.nonCanonicalLines());
    } catch (const std::exception&) {
        m_originals.clear();  // the text is loaded; such lines are then written canonically
    }
    m_loading = false;
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_GOTOPOS, 0);
}

void TextView::collectOriginals(QFile& file, const std::vector<std::size_t>& lines) {
    // A second pass over the file, only for the rare lines that hold a non-canonical code. Lines are
    // counted as the decoder counts them: CR LF, lone CR and lone LF each end one.
    if (!file.seek(0)) return;
    std::size_t line = 0;
    std::size_t want = 0;
    std::string current;
    bool pendingCr = false;
    auto finishLine = [&] {
        if (want < lines.size() && lines[want] == line) {
            m_originals.push_back({static_cast<long>(line), current});
            ++want;
        }
        current.clear();
        ++line;
    };
    std::string buf(static_cast<std::size_t>(kChunk), '\0');
    while (want < lines.size()) {
        const qint64 got = file.read(buf.data(), static_cast<qint64>(buf.size()));
        if (got <= 0) break;
        for (qint64 k = 0; k < got && want < lines.size(); ++k) {
            const char c = buf[static_cast<std::size_t>(k)];
            if (pendingCr) {
                pendingCr = false;
                if (c == '\n') continue;
            }
            if (c == '\r' || c == '\n') {
                finishLine();
                pendingCr = c == '\r';
            } else if (lines[want] == line) {
                current.push_back(c);
            }
        }
    }
    if (want < lines.size() && !current.empty()) finishLine();
}

void TextView::SaveToFile(const QString& path) const {
    const QString message = QStringLiteral("ファイル %1 を作成できません").arg(path);
    settleInsertion();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) throw UserError(message);
    std::string out;
    out.reserve(static_cast<std::size_t>(kChunk) + 8192);
    bool ok = true;
    auto flush = [&] {
        ok = ok && file.write(out.data(), static_cast<qint64>(out.size())) == static_cast<qint64>(out.size());
        out.clear();
    };
    const long lines = SendScintilla(SCI_GETLINECOUNT);
    auto original = m_originals.begin();
    for (long i = 0; i < lines && ok; ++i) {
        const std::string_view body = lineUtf8(i);
        while (original != m_originals.end() && original->line < i) ++original;
        // Lines read with a non-canonical code are written as read while their text is unchanged.
        if (original != m_originals.end() && original->line == i && Cp932ToUtf8(original->bytes) == body)
            out += original->bytes;
        else
            Utf8ToCp932(body, out);
        if (i + 1 < lines) out += "\r\n";
        if (out.size() >= static_cast<std::size_t>(kChunk)) flush();
    }
    if (!out.empty()) flush();
    if (!ok || !file.commit()) throw UserError(message);
}

long TextView::cp932OffsetOf(long utf8Pos) const {
    // Every LF in the view stands for the two bytes CR LF.
    const std::string_view u = rangeUtf8(0, utf8Pos);
    return static_cast<long>(Cp932Length(u)) + lfCount(u);
}

TextView::LineHit TextView::lineOfCp932(long pos) const {
    LineHit hit;
    const std::string_view text = Utf8Buffer();
    std::size_t i = 0;
    bool found = false;  // pos lies in the block ahead: walk it line by line
    for (;;) {
        // Skip whole blocks of lines that end before pos.
        const std::size_t last = found ? std::string_view::npos : text.rfind('\n', i + kScanBlock);
        if (last != std::string_view::npos && last >= i) {
            const std::string_view block = text.substr(i, last + 1 - i);
            const long breaks = lfCount(block);
            const long length = static_cast<long>(Cp932Length(block)) + breaks;
            if (pos >= hit.cp932Start + length) {
                hit.cp932Start += length;
                hit.line += static_cast<int>(breaks);
                i = last + 1;
                hit.utf8Start = static_cast<long>(i);
                continue;
            }
            found = true;
        }
        const std::size_t nl = text.find('\n', i);
        if (nl == std::string_view::npos) break;
        const long length = static_cast<long>(Cp932Length(text.substr(i, nl - i))) + 2;
        if (pos < hit.cp932Start + length) break;
        hit.cp932Start += length;
        ++hit.line;
        i = nl + 1;
        hit.utf8Start = static_cast<long>(i);
    }
    return hit;
}

long TextView::utf8PosOfCp932(long pos) const {
    const LineHit hit = lineOfCp932(pos);
    const std::string_view u = lineUtf8(hit.line);
    const long column = std::max(0L, pos - hit.cp932Start);
    return hit.utf8Start + static_cast<long>(Utf8OffsetOfCp932(u, static_cast<std::size_t>(column)));
}

int TextView::cp932ColumnOf(long utf8Pos) const {
    const long line = SendScintilla(SCI_LINEFROMPOSITION, utf8Pos);
    return static_cast<int>(Cp932Length(rangeUtf8(SendScintilla(SCI_POSITIONFROMLINE, line), utf8Pos)));
}

int TextView::LineIndex(int n) const {
    if (n < 0) n = CaretLine();
    if (n >= SendScintilla(SCI_GETLINECOUNT)) return static_cast<int>(cp932OffsetOf(Utf8Length()));
    return static_cast<int>(cp932OffsetOf(SendScintilla(SCI_POSITIONFROMLINE, n)));
}

int TextView::LineFromChar(int pos) const { return lineOfCp932(pos).line; }

int TextView::SelStart() const {
    return static_cast<int>(cp932OffsetOf(SendScintilla(SCI_GETSELECTIONSTART)));
}

void TextView::SetSelStart(int pos) {
    SendScintilla(SCI_SETEMPTYSELECTION, utf8PosOfCp932(std::max(pos, 0)));
}

bool TextView::HasSelection() const { return !SendScintilla(SCI_GETSELECTIONEMPTY); }

int TextView::SelLength() const {
    const std::string_view u =
        rangeUtf8(SendScintilla(SCI_GETSELECTIONSTART), SendScintilla(SCI_GETSELECTIONEND));
    return static_cast<int>(Cp932Length(u) + lfCount(u));
}

std::string TextView::SelText() const {
    std::string out;
    appendWithCrLf(rangeUtf8(SendScintilla(SCI_GETSELECTIONSTART), SendScintilla(SCI_GETSELECTIONEND)), out);
    return out;
}

void TextView::SetSelText(std::string_view cp932) {
    bool altered = false;
    const std::string u = cp932Safe(Cp932ToUtf8(cp932), altered);
    // A change that undo must not bring back: the history is cut here.
    SendScintilla(SCI_SETUNDOCOLLECTION, 0);
    SendScintilla(SCI_REPLACESEL, u.c_str());
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1);
}

int TextView::FirstVisibleLine() const { return static_cast<int>(SendScintilla(SCI_GETFIRSTVISIBLELINE)); }

void TextView::ScrollLines(int n) { SendScintilla(SCI_LINESCROLL, 0, static_cast<long>(n)); }

bool TextView::CanUndo() const { return SendScintilla(SCI_CANUNDO) != 0; }
void TextView::Undo() { SendScintilla(SCI_UNDO); }
void TextView::CutToClipboard() { SendScintilla(SCI_CUT); }
void TextView::CopyToClipboard() { SendScintilla(SCI_COPY); }
void TextView::PasteFromClipboard() { SendScintilla(SCI_PASTE); }
void TextView::SelectAll() { SendScintilla(SCI_SELECTALL); }

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

int TextView::CaretLine() const {
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETCURRENTPOS)));
}

int TextView::CaretColumn() const { return cp932ColumnOf(SendScintilla(SCI_GETCURRENTPOS)); }

int TextView::SelectionStartLine() const {
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONSTART)));
}

int TextView::SelectionEndLine() const {
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONEND)));
}

int TextView::SelectionEndColumn() const { return cp932ColumnOf(SendScintilla(SCI_GETSELECTIONEND)); }

long TextView::displayRowStart(long pos) const {
    // Found from the line's own layout, which is made on demand: the line may be out of sight and its
    // wrapping not yet done.
    long lo = SendScintilla(SCI_POSITIONFROMLINE, SendScintilla(SCI_LINEFROMPOSITION, pos));
    if (!WordWrap()) return lo;
    const long y = SendScintilla(SCI_POINTYFROMPOSITION, 0, pos);
    if (SendScintilla(SCI_POINTYFROMPOSITION, 0, lo) == y) return lo;
    long hi = pos;  // lo lies on an earlier row, hi on the caret's row
    for (;;) {
        const long next = SendScintilla(SCI_POSITIONAFTER, lo);
        if (next >= hi) return hi;
        long mid = SendScintilla(SCI_POSITIONBEFORE, SendScintilla(SCI_POSITIONAFTER, lo + (hi - lo) / 2));
        if (mid <= lo || mid >= hi) mid = next;
        if (SendScintilla(SCI_POINTYFROMPOSITION, 0, mid) < y)
            lo = mid;
        else
            hi = mid;
    }
}

int TextView::CaretDisplayLine() const {
    const long pos = SendScintilla(SCI_GETSELECTIONSTART);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, pos);
    if (!WordWrap()) return static_cast<int>(line);
    const long first = SendScintilla(SCI_VISIBLEFROMDOCLINE, line);
    const long height = std::max(1L, SendScintilla(SCI_TEXTHEIGHT, line));
    const long y0 = SendScintilla(SCI_POINTYFROMPOSITION, 0, SendScintilla(SCI_POSITIONFROMLINE, line));
    return static_cast<int>(first + (SendScintilla(SCI_POINTYFROMPOSITION, 0, pos) - y0) / height);
}

int TextView::CaretDisplayColumn() const {
    const long pos = SendScintilla(SCI_GETSELECTIONSTART);
    return static_cast<int>(Cp932Length(rangeUtf8(displayRowStart(pos), pos)));
}

void TextView::SetCaretToLineStart(int line) {
    SendScintilla(SCI_SETEMPTYSELECTION, SendScintilla(SCI_POSITIONFROMLINE, std::max(line, 0)));
}

void TextView::ScrollLineToTop(int line) {
    SendScintilla(SCI_SETFIRSTVISIBLELINE, SendScintilla(SCI_VISIBLEFROMDOCLINE, std::max(line, 0)));
}

}  // namespace oruvan
