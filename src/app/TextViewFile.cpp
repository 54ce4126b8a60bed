// Loading a document into the view and saving it back.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>

#include "app/TextView.h"
#include "app/TextViewBytes.h"
#include "app/UserError.h"
#include "platform/CarefulWrite.h"
#include "platform/Cp932.h"

namespace oruvan {

using textview::kChunk;

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
    forgetAllOriginals();
    try {
        if (!decoder.nonCanonicalLines().empty()) collectOriginals(file, decoder.nonCanonicalLines());
    } catch (const std::exception&) {
        forgetAllOriginals();  // the text is loaded; such lines are then written canonically
    }
    m_loading = false;
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_GOTOPOS, 0);
}

void TextView::SaveToFile(const QString& path) const {
    const QString message = QStringLiteral("ファイル %1 を作成できません").arg(path);
    settleInsertion();
    CarefulFile file(QFile::encodeName(path).toStdString());
    if (!file.open()) throw UserError(message);
    std::string out;
    out.reserve(static_cast<std::size_t>(kChunk) + 8192);
    bool ok = true;
    auto flush = [&] {
        ok = ok && file.write(out);
        out.clear();
    };
    const long lines = SendScintilla(SCI_GETLINECOUNT);
    for (long i = 0; i < lines && ok; ++i) {
        const std::string_view body = lineUtf8(i);
        // Lines read with a non-canonical code are written as read while their text is unchanged.
        if (const std::string* original = originalOf(i, body))
            out += *original;
        else
            Utf8ToCp932(body, out);
        if (i + 1 < lines) out += "\r\n";
        if (out.size() >= static_cast<std::size_t>(kChunk)) flush();
    }
    if (!out.empty()) flush();
    if (!ok || !file.commit()) throw UserError(message);
}

}  // namespace oruvan
