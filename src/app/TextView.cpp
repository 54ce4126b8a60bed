#include "app/TextView.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>
#include <stdexcept>

#include "platform/Cp932.h"
#include "app/UserError.h"

namespace oruvan {

namespace {

constexpr int kOriginalMarker = 24;
constexpr qint64 kChunk = 4 << 20;

// The edit-control keys a plain text box has; QScintilla's other bindings are dropped.
struct KeyBinding {
    QsciCommand::Command command;
    int key;
    int alternate;
};
const KeyBinding kKeyBindings[] = {
    {QsciCommand::LineDown, Qt::Key_Down, 0},
    {QsciCommand::LineDownExtend, Qt::Key_Down | Qt::SHIFT, 0},
    {QsciCommand::LineUp, Qt::Key_Up, 0},
    {QsciCommand::LineUpExtend, Qt::Key_Up | Qt::SHIFT, 0},
    {QsciCommand::CharLeft, Qt::Key_Left, 0},
    {QsciCommand::CharLeftExtend, Qt::Key_Left | Qt::SHIFT, 0},
    {QsciCommand::CharRight, Qt::Key_Right, 0},
    {QsciCommand::CharRightExtend, Qt::Key_Right | Qt::SHIFT, 0},
    {QsciCommand::WordLeft, Qt::Key_Left | Qt::CTRL, 0},
    {QsciCommand::WordLeftExtend, Qt::Key_Left | Qt::CTRL | Qt::SHIFT, 0},
    {QsciCommand::WordRight, Qt::Key_Right | Qt::CTRL, 0},
    {QsciCommand::WordRightExtend, Qt::Key_Right | Qt::CTRL | Qt::SHIFT, 0},
    {QsciCommand::HomeDisplay, Qt::Key_Home, 0},
    {QsciCommand::HomeDisplayExtend, Qt::Key_Home | Qt::SHIFT, 0},
    {QsciCommand::LineEndDisplay, Qt::Key_End, 0},
    {QsciCommand::LineEndDisplayExtend, Qt::Key_End | Qt::SHIFT, 0},
    {QsciCommand::DocumentStart, Qt::Key_Home | Qt::CTRL, 0},
    {QsciCommand::DocumentStartExtend, Qt::Key_Home | Qt::CTRL | Qt::SHIFT, 0},
    {QsciCommand::DocumentEnd, Qt::Key_End | Qt::CTRL, 0},
    {QsciCommand::DocumentEndExtend, Qt::Key_End | Qt::CTRL | Qt::SHIFT, 0},
    {QsciCommand::PageUp, Qt::Key_PageUp, 0},
    {QsciCommand::PageUpExtend, Qt::Key_PageUp | Qt::SHIFT, 0},
    {QsciCommand::PageDown, Qt::Key_PageDown, 0},
    {QsciCommand::PageDownExtend, Qt::Key_PageDown | Qt::SHIFT, 0},
    {QsciCommand::Delete, Qt::Key_Delete, 0},
    {QsciCommand::DeleteBack, Qt::Key_Backspace, Qt::Key_Backspace | Qt::SHIFT},
    {QsciCommand::DeleteWordLeft, Qt::Key_Backspace | Qt::CTRL, 0},
    {QsciCommand::DeleteWordRight, Qt::Key_Delete | Qt::CTRL, 0},
    {QsciCommand::Newline, Qt::Key_Return, Qt::Key_Enter},
    {QsciCommand::Tab, Qt::Key_Tab, 0},
    {QsciCommand::Cancel, Qt::Key_Escape, 0},
    {QsciCommand::EditToggleOvertype, Qt::Key_Insert, 0},
    {QsciCommand::SelectionCut, Qt::Key_X | Qt::CTRL, Qt::Key_Delete | Qt::SHIFT},
    {QsciCommand::SelectionCopy, Qt::Key_C | Qt::CTRL, Qt::Key_Insert | Qt::CTRL},
    {QsciCommand::Paste, Qt::Key_V | Qt::CTRL, Qt::Key_Insert | Qt::SHIFT},
    {QsciCommand::Undo, Qt::Key_Z | Qt::CTRL, Qt::Key_Backspace | Qt::ALT},
    {QsciCommand::SelectAll, Qt::Key_A | Qt::CTRL, 0},
};

QByteArray localPath(const QString& path) { return QFile::encodeName(path); }

}  // namespace

TextView::TextView(QWidget* parent) : QsciScintilla(parent) {
    setUtf8(true);
    setMarginWidth(0, 0);
    setMarginWidth(1, 0);
    setMarginWidth(2, 0);
    setMarginLineNumbers(0, false);
    setFolding(QsciScintilla::NoFoldStyle);
    setAutoIndent(false);
    setBraceMatching(QsciScintilla::NoBraceMatch);
    setAutoCompletionSource(QsciScintilla::AcsNone);
    setTabWidth(8);
    setIndentationsUseTabs(true);
    setCaretLineVisible(false);
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    SendScintilla(SCI_SETPASTECONVERTENDINGS, 1);
    SendScintilla(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    SendScintilla(SCI_SETIDLESTYLING, SC_IDLESTYLING_NONE);
    SendScintilla(SCI_SETMARGINMASKN, 1UL, 0L);
    SendScintilla(SCI_MARKERDEFINE, static_cast<unsigned long>(kOriginalMarker), static_cast<long>(SC_MARK_EMPTY));
    // Bytes that are not cp932 show as hex blobs, like QScintilla shows bytes that are not UTF-8.
    for (int b = 0x80; b <= 0xFF; ++b) {
        std::string key;
        Cp932ToUtf8(std::string(1, static_cast<char>(b)), key);
        if (key.size() == 1) continue;  // a valid single-byte character (half-width katakana)
        char repr[8];
        std::snprintf(repr, sizeof repr, "x%02X", b);
        SendScintilla(SCI_SETREPRESENTATION, key.c_str(), repr);
    }
    applyDocumentSettings();
    removeForeignKeyBindings();
    setWrapMode(QsciScintilla::WrapNone);
    SendScintilla(SCI_SETHSCROLLBAR, 1);
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &TextView::onModified);
    m_font = QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
    SetFont(m_font);
}

void TextView::applyDocumentSettings() {
    SendScintilla(SCI_SETCODEPAGE, SC_CP_UTF8);
    SendScintilla(SCI_SETEOLMODE, SC_EOL_LF);
    SendScintilla(SCI_SETMODEVENTMASK,
                  SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT | SC_MOD_INSERTCHECK | SC_PERFORMED_USER |
                      SC_PERFORMED_UNDO | SC_PERFORMED_REDO);
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

void TextView::onModified(int, int modificationType, const char* text, int length, int, int, int, int, int,
                          int) {
    if (m_loading) return;
    if ((modificationType & SC_MOD_INSERTCHECK) && text && length > 0) {
        // Only characters cp932 can hold may enter, so what is shown is what Save writes.
        std::string_view in(text, static_cast<std::size_t>(length));
        std::string cleaned;
        bool changedAny = false;
        std::size_t i = 0;
        while (i < in.size()) {
            unsigned char c = static_cast<unsigned char>(in[i]);
            std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            if (i + n > in.size()) n = 1;
            std::string_view ch = in.substr(i, n);
            std::string back;
            Utf8ToCp932(ch, back);
            std::string again;
            Cp932ToUtf8(back, again);
            if (again == ch) {
                cleaned.append(ch);
            } else {
                cleaned.push_back('?');
                changedAny = true;
            }
            i += n;
        }
        if (changedAny)
            SendScintilla(SCI_CHANGEINSERTION, static_cast<unsigned long>(cleaned.size()), cleaned.c_str());
        return;
    }
    if (modificationType & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT)) {
        // Reported once the edit is complete, so listeners see the caret where it ends up.
        if (!m_changePending) {
            m_changePending = true;
            QTimer::singleShot(0, this, [this] {
                m_changePending = false;
                Q_EMIT changed();
            });
        }
    }
}

void TextView::keyPressEvent(QKeyEvent* e) {
    Q_EMIT keyDown(e);
    QsciScintilla::keyPressEvent(e);
}

void TextView::keyReleaseEvent(QKeyEvent* e) {
    QsciScintilla::keyReleaseEvent(e);
    Q_EMIT keyUp(e);
}

void TextView::mousePressEvent(QMouseEvent* e) {
    QsciScintilla::mousePressEvent(e);
    Q_EMIT mouseDown(e);
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

std::string_view TextView::lineUtf8(int line, bool withBreak) const {
    long start = SendScintilla(SCI_POSITIONFROMLINE, line);
    long end = withBreak ? SendScintilla(SCI_POSITIONFROMLINE, line + 1)
                         : SendScintilla(SCI_GETLINEENDPOSITION, line);
    if (start < 0 || end < start) return {};
    if (end == start) return {};
    const char* p = static_cast<const char*>(
        reinterpret_cast<void*>(SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(start),
                                              static_cast<long>(end - start))));
    return p ? std::string_view(p, static_cast<std::size_t>(end - start)) : std::string_view();
}

void TextView::Clear() {
    m_loading = true;
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    m_loading = false;
    forgetOriginals();
}

int TextView::LineCount() const {
    long lines = SendScintilla(SCI_GETLINECOUNT);
    long lastStart = SendScintilla(SCI_POSITIONFROMLINE, lines - 1);
    if (lastStart == Utf8Length()) --lines;
    return static_cast<int>(lines);
}

std::string TextView::lineCp932(int line) const {
    std::string out;
    Utf8ToCp932(lineUtf8(line), out);
    return out;
}

std::string TextView::LineAt(int i) const {
    if (i < 0 || i >= LineCount()) return {};
    std::string_view u = lineUtf8(i);
    std::size_t cut = Utf8OffsetOfCp932(u, kLineAtLimit);
    std::string out;
    Utf8ToCp932(u.substr(0, cut), out);
    return out;
}

std::string TextView::GetLinesText() const {
    std::string out;
    const int n = LineCount();
    for (int i = 0; i < n; ++i) {
        std::string_view u = lineUtf8(i);
        Utf8ToCp932(u.substr(0, Utf8OffsetOfCp932(u, kLineAtLimit)), out);
        out += "\r\n";
    }
    return out;
}

namespace {
// Appends the cp932 form of a UTF-8 text whose breaks are LF (or CR, or CR LF) with CR LF breaks.
void appendWithCrLf(std::string_view u, std::string& out) {
    std::size_t i = 0;
    while (i < u.size()) {
        std::size_t j = u.find_first_of("\r\n", i);
        if (j == std::string_view::npos) {
            Utf8ToCp932(u.substr(i), out);
            break;
        }
        Utf8ToCp932(u.substr(i, j - i), out);
        out += "\r\n";
        i = (u[j] == '\r' && j + 1 < u.size() && u[j + 1] == '\n') ? j + 2 : j + 1;
    }
}
}  // namespace

std::string TextView::GetText() const {
    std::string out;
    appendWithCrLf(Utf8Buffer(), out);
    return out;
}

void TextView::forgetOriginals() {
    SendScintilla(SCI_MARKERDELETEALL, kOriginalMarker);
    m_originals.clear();
}

void TextView::LoadFromFile(const QString& path) {
    const QString message = QStringLiteral("ファイル %1 は開けません").arg(path);
    // Only regular files: a directory or a FIFO would fail or block the reader.
    struct stat st {};
    const QByteArray native = localPath(path);
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode)) throw UserError(message);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw UserError(message);

    // Load into a fresh document and swap it in only when the whole file was read.
    void* oldDoc = reinterpret_cast<void*>(SendScintilla(SCI_GETDOCPOINTER));
    SendScintilla(SCI_ADDREFDOCUMENT, 0, reinterpret_cast<long>(oldDoc));
    void* newDoc = reinterpret_cast<void*>(SendScintilla(SCI_CREATEDOCUMENT));
    m_loading = true;
    SendScintilla(SCI_SETDOCPOINTER, 0, reinterpret_cast<long>(newDoc));
    SendScintilla(SCI_RELEASEDOCUMENT, 0, reinterpret_cast<long>(newDoc));
    applyDocumentSettings();
    SendScintilla(SCI_SETUNDOCOLLECTION, 0);
    const qint64 size = file.size();
    if (size > 0) SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(size + size / 2 + 16));

    Cp932Decoder decoder;
    std::string chunk(static_cast<std::size_t>(std::min<qint64>(kChunk, std::max<qint64>(size, 1))), '\0');
    std::string utf8;
    bool ok = true;
    for (;;) {
        qint64 got = file.read(chunk.data(), static_cast<qint64>(chunk.size()));
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
    if (!ok) {
        SendScintilla(SCI_SETDOCPOINTER, 0, reinterpret_cast<long>(oldDoc));
        SendScintilla(SCI_RELEASEDOCUMENT, 0, reinterpret_cast<long>(oldDoc));
        m_loading = false;
        throw UserError(message);
    }
    SendScintilla(SCI_RELEASEDOCUMENT, 0, reinterpret_cast<long>(oldDoc));
    SendScintilla(SCI_SETUNDOCOLLECTION, 1);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSAVEPOINT);
    m_originals.clear();
    if (!decoder.nonCanonicalLines().empty()) collectOriginals(path, decoder.nonCanonicalLines());
    m_loading = false;
    SendScintilla(SCI_GOTOPOS, 0);
}

void TextView::collectOriginals(const QString& path, const std::vector<std::size_t>& lines) {
    // A second pass over the file, only for the rare lines that hold a non-canonical code.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    std::size_t line = 0;
    std::size_t want = 0;
    std::string current;
    bool pendingCr = false;
    auto finishLine = [&] {
        if (want < lines.size() && lines[want] == line) {
            int handle = static_cast<int>(SendScintilla(SCI_MARKERADD, static_cast<unsigned long>(line),
                                                        static_cast<long>(kOriginalMarker)));
            if (handle >= 0) m_originals.emplace(handle, current);
            ++want;
        }
        current.clear();
        ++line;
    };
    std::string buf(static_cast<std::size_t>(kChunk), '\0');
    for (;;) {
        qint64 got = file.read(buf.data(), static_cast<qint64>(buf.size()));
        if (got <= 0) break;
        for (qint64 k = 0; k < got && want < lines.size(); ++k) {
            char c = buf[static_cast<std::size_t>(k)];
            if (pendingCr) {
                pendingCr = false;
                if (c == '\n') continue;
            }
            if (c == '\r') {
                finishLine();
                pendingCr = true;
            } else if (c == '\n') {
                finishLine();
            } else if (want < lines.size() && lines[want] == line) {
                current.push_back(c);
            }
        }
        if (want >= lines.size()) break;
    }
    if (want < lines.size() && !current.empty()) finishLine();
}

void TextView::SaveToFile(const QString& path) const {
    const QString message = QStringLiteral("ファイル %1 を作成できません").arg(path);
    // Lines read with a non-canonical code are written as read while their text is unchanged.
    std::unordered_map<long, std::vector<const std::string*>> originalsByLine;
    for (const auto& [handle, bytes] : m_originals) {
        long line = SendScintilla(SCI_MARKERLINEFROMHANDLE, handle);
        if (line >= 0) originalsByLine[line].push_back(&bytes);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) throw UserError(message);
    std::string out;
    out.reserve(static_cast<std::size_t>(kChunk) + 8192);
    auto flush = [&](bool force) {
        if (out.size() >= static_cast<std::size_t>(kChunk) || (force && !out.empty())) {
            if (file.write(out.data(), static_cast<qint64>(out.size())) != static_cast<qint64>(out.size()))
                return false;
            out.clear();
        }
        return true;
    };
    const long lines = SendScintilla(SCI_GETLINECOUNT);
    bool ok = true;
    for (long i = 0; i < lines && ok; ++i) {
        std::string_view u = lineUtf8(static_cast<int>(i), true);
        std::string_view body = u;
        while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.remove_suffix(1);
        bool written = false;
        auto it = originalsByLine.find(i);
        if (it != originalsByLine.end()) {
            for (const std::string* orig : it->second) {
                if (Cp932ToUtf8(*orig) == body) {
                    out += *orig;
                    written = true;
                    break;
                }
            }
        }
        if (!written) Utf8ToCp932(body, out);
        if (body.size() != u.size()) out += "\r\n";
        ok = flush(false);
    }
    if (!ok || !flush(true) || !file.commit()) throw UserError(message);
}

namespace {
int cp932Len(std::string_view u) { return static_cast<int>(Cp932Length(u)); }
}  // namespace

int TextView::LineIndex(int n) const {
    if (n < 0) n = CaretLine();
    int pos = 0;
    for (int i = 0; i < n; ++i) {
        std::string_view u = lineUtf8(i, true);
        if (u.empty()) break;
        pos += cp932Len(u);
        if (!u.empty() && u.back() == '\n') ++pos;  // LF in the view stands for CR LF
    }
    return pos;
}

int TextView::LineFromChar(int pos) const {
    const long lines = SendScintilla(SCI_GETLINECOUNT);
    int acc = 0;
    for (long i = 0; i < lines; ++i) {
        std::string_view u = lineUtf8(static_cast<int>(i), true);
        int len = cp932Len(u) + ((!u.empty() && u.back() == '\n') ? 1 : 0);
        if (pos < acc + len || i == lines - 1) return static_cast<int>(i);
        acc += len;
    }
    return 0;
}

namespace {
long utf8PosOf(const TextView& v, int pos) {
    int line = v.LineFromChar(pos);
    int col = pos - v.LineIndex(line);
    long start = v.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    long end = v.SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line);
    const char* p = static_cast<const char*>(reinterpret_cast<void*>(v.SendScintilla(
        QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start)));
    std::string_view u = p ? std::string_view(p, static_cast<std::size_t>(end - start)) : std::string_view();
    return start + static_cast<long>(Utf8OffsetOfCp932(u, static_cast<std::size_t>(std::max(col, 0))));
}
}  // namespace

int TextView::SelStart() const {
    long s = SendScintilla(SCI_GETSELECTIONSTART);
    int line = static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, s));
    long ls = SendScintilla(SCI_POSITIONFROMLINE, line);
    std::string_view u = lineUtf8(line, true);
    return LineIndex(line) + cp932Len(u.substr(0, static_cast<std::size_t>(s - ls)));
}

void TextView::SetSelStart(int pos) { SendScintilla(SCI_SETEMPTYSELECTION, utf8PosOf(*this, pos)); }

bool TextView::HasSelection() const { return !SendScintilla(SCI_GETSELECTIONEMPTY); }

int TextView::SelLength() const {
    if (!HasSelection()) return 0;
    std::string text = SelText();
    return static_cast<int>(text.size());
}

std::string TextView::SelText() const {
    long s = SendScintilla(SCI_GETSELECTIONSTART);
    long e = SendScintilla(SCI_GETSELECTIONEND);
    if (e <= s) return {};
    const char* p = static_cast<const char*>(reinterpret_cast<void*>(
        SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(s), e - s)));
    std::string out;
    if (p) appendWithCrLf(std::string_view(p, static_cast<std::size_t>(e - s)), out);
    return out;
}

void TextView::SetSelText(std::string_view cp932) {
    std::string u;
    Cp932ToUtf8(cp932, u);
    // A deletion that undo must not bring back: the history is cut here.
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
    SetFont(f);
}

void TextView::SetFontSize(int points) {
    QFont f = m_font;
    if (points > 0) f.setPointSize(points);
    SetFont(f);
}

void TextView::SetFont(const QFont& font) {
    m_font = font;
    setFont(font);
    QsciScintilla::setFont(font);
}

bool TextView::WordWrap() const { return wrapMode() != QsciScintilla::WrapNone; }

void TextView::SetWordWrap(bool on) {
    setWrapMode(on ? QsciScintilla::WrapWord : QsciScintilla::WrapNone);
    SendScintilla(SCI_SETHSCROLLBAR, on ? 0 : 1);
}

int TextView::CaretLine() const {
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETCURRENTPOS)));
}

int TextView::CaretColumn() const {
    long pos = SendScintilla(SCI_GETCURRENTPOS);
    int line = CaretLine();
    long ls = SendScintilla(SCI_POSITIONFROMLINE, line);
    return cp932Len(lineUtf8(line, true).substr(0, static_cast<std::size_t>(pos - ls)));
}

int TextView::SelectionStartLine() const {
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONSTART)));
}

int TextView::SelectionEndLine() const {
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONEND)));
}

int TextView::SelectionEndColumn() const {
    long pos = SendScintilla(SCI_GETSELECTIONEND);
    int line = SelectionEndLine();
    long ls = SendScintilla(SCI_POSITIONFROMLINE, line);
    return cp932Len(lineUtf8(line, true).substr(0, static_cast<std::size_t>(pos - ls)));
}

namespace {
// The position where the display row holding pos begins (pos itself when lines do not wrap).
long displayRowStart(const TextView& v, long pos) {
    const int line = static_cast<int>(v.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, pos));
    long lo = v.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    if (v.SendScintilla(QsciScintillaBase::SCI_WRAPCOUNT, line) <= 1) return lo;
    const long y = v.SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, pos);
    long hi = pos;
    while (lo < hi) {
        long mid = lo + (hi - lo) / 2;
        mid = v.SendScintilla(QsciScintillaBase::SCI_POSITIONBEFORE,
                              v.SendScintilla(QsciScintillaBase::SCI_POSITIONAFTER, mid));
        if (mid < lo) mid = lo;
        if (v.SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, mid) < y) {
            long next = v.SendScintilla(QsciScintillaBase::SCI_POSITIONAFTER, mid);
            if (next <= lo) next = lo + 1;
            lo = next;
        } else {
            hi = mid;
        }
    }
    return lo;
}
}  // namespace

int TextView::CaretDisplayLine() const {
    long pos = SendScintilla(SCI_GETSELECTIONSTART);
    int line = static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, pos));
    long first = SendScintilla(SCI_VISIBLEFROMDOCLINE, line);
    if (SendScintilla(SCI_WRAPCOUNT, line) <= 1) return static_cast<int>(first);
    long height = std::max<long>(1, SendScintilla(SCI_TEXTHEIGHT, line));
    long y0 = SendScintilla(SCI_POINTYFROMPOSITION, 0, SendScintilla(SCI_POSITIONFROMLINE, line));
    long y = SendScintilla(SCI_POINTYFROMPOSITION, 0, pos);
    return static_cast<int>(first + (y - y0) / height);
}

int TextView::CaretDisplayColumn() const {
    long pos = SendScintilla(SCI_GETSELECTIONSTART);
    long start = displayRowStart(*this, pos);
    const char* p = static_cast<const char*>(reinterpret_cast<void*>(
        SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), pos - start)));
    return p ? cp932Len(std::string_view(p, static_cast<std::size_t>(pos - start))) : 0;
}

void TextView::SetCaretToLineStart(int line) {
    SendScintilla(SCI_SETEMPTYSELECTION, SendScintilla(SCI_POSITIONFROMLINE, std::max(line, 0)));
}

void TextView::ScrollLineToTop(int line) {
    SendScintilla(SCI_SETFIRSTVISIBLELINE, SendScintilla(SCI_VISIBLEFROMDOCLINE, std::max(line, 0)));
}

}  // namespace oruvan
