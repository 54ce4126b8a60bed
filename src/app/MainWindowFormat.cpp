// The menus of the document's encoding and line breaks: reopening in another encoding, and the
// encoding and break style of the next save.
#include <QActionGroup>
#include <QMenu>

#include "app/MainWindow.h"
#include "document/DocumentController.h"

namespace oruvan {

namespace {

struct EncodingChoice {
    const char* caption;
    Encoding encoding;
};

// Reading UTF-8 and UTF-16 finds a byte order mark either way; saving UTF-16 writes one.
const EncodingChoice kReopenChoices[] = {
    {"Shift_JIS", Encoding::ShiftJis}, {"UTF-8", Encoding::Utf8},       {"EUC-JP", Encoding::EucJp},
    {"UTF-16LE", Encoding::Utf16Le},   {"UTF-16BE", Encoding::Utf16Be}, {"ISO-2022-JP", Encoding::Iso2022Jp},
};
const EncodingChoice kSaveChoices[] = {
    {"Shift_JIS", Encoding::ShiftJis},    {"UTF-8", Encoding::Utf8},
    {"UTF-8 BOM", Encoding::Utf8Bom},     {"EUC-JP", Encoding::EucJp},
    {"UTF-16LE", Encoding::Utf16LeBom},   {"UTF-16BE", Encoding::Utf16BeBom},
    {"ISO-2022-JP", Encoding::Iso2022Jp},
};
const struct {
    const char* caption;
    LineBreak brk;
} kBreakChoices[] = {{"CR LF", LineBreak::CrLf}, {"LF", LineBreak::Lf}, {"CR", LineBreak::Cr}};

}  // namespace

void MainWindow::createFormatMenus(QMenu* settings) {
    auto submenu = [this](const char* command) {
        auto* menu = new QMenu(this);
        Command(QString::fromLatin1(command))->setMenu(menu);
        return menu;
    };
    auto choice = [this](QMenu* menu, const char* caption, int data, std::function<void()> handler) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setData(data);
        connect(a, &QAction::triggered, this, [this, handler] { guarded(handler); });
        return a;
    };

    QMenu* reopenMenu = submenu("actFileReopen");
    choice(reopenMenu, "自動判別", -1, [this] { m_document->reopen(std::nullopt); });
    for (const EncodingChoice& c : kReopenChoices)
        choice(reopenMenu, c.caption, int(c.encoding), [this, e = c.encoding] { m_document->reopen(e); });

    settings->addSeparator()->setObjectName(QStringLiteral("N13"));
    addItem(settings, QStringLiteral("actOptSaveEncoding"));
    QMenu* encodings = submenu("actOptSaveEncoding");
    auto* encodingGroup = new QActionGroup(encodings);
    for (const EncodingChoice& c : kSaveChoices)
        encodingGroup
            ->addAction(choice(encodings, c.caption, int(c.encoding),
                               [this, e = c.encoding] { m_document->setSaveEncoding(e); }))
            ->setCheckable(true);
    addItem(settings, QStringLiteral("actOptLineBreak"));
    QMenu* breaks = submenu("actOptLineBreak");
    auto* breakGroup = new QActionGroup(breaks);
    for (const auto& c : kBreakChoices)
        breakGroup
            ->addAction(
                choice(breaks, c.caption, int(c.brk), [this, b = c.brk] { m_document->setLineBreak(b); }))
            ->setCheckable(true);
    for (QMenu* m : {reopenMenu, encodings, breaks})
        connect(m, &QMenu::aboutToShow, this, &MainWindow::UpdateCommands);
}

void MainWindow::actFileReopenUpdate(QAction* a) { a->setEnabled(!m_document->fileName().isEmpty()); }

void MainWindow::actOptSaveEncodingUpdate(QAction* a) {
    a->setEnabled(true);
    // A choice the user turned down shows the encoding kept.
    for (QAction* item : a->menu()->actions())
        item->setChecked(m_document->isSaveEncoding(static_cast<Encoding>(item->data().toInt())));
}

void MainWindow::actOptLineBreakUpdate(QAction* a) {
    a->setEnabled(true);
    for (QAction* item : a->menu()->actions())
        item->setChecked(m_document->isLineBreak(static_cast<LineBreak>(item->data().toInt())));
}

}  // namespace oruvan
