#include "app/MainWindow.h"
#include "version/Version.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QUrl>
#include <QTimer>
#include <QVBoxLayout>

#include "app/MainMenus.h"
#include "document/DocumentController.h"
#include "document/DocumentGuard.h"
#include "index/HeadingFilterField.h"
#include "index/HeadingList.h"
#include "index/IndexController.h"
#include "index/SectionCounter.h"
#include "index/IndexMenu.h"
#include "view/TextFinder.h"
#include "view/TextView.h"
#include "widgets/UserError.h"
#include "widgets/FilePaths.h"
#include "widgets/FindBar.h"
#include "widgets/MessageBoxes.h"
#include "widgets/GripSplitter.h"
#include "version/Version.h"

namespace oruvan {

namespace {
const char* const kCaption = version::kNameAndNumber;
const QString kCaptionPrefix = QString::fromLatin1(version::kNameAndNumber) + QStringLiteral(" - ");
}  // namespace

MainWindow::MainWindow(ProgramPaths paths, QWidget* parent)
    : QMainWindow(parent), m_paths(std::move(paths)), m_settings(this) {
    setObjectName(QStringLiteral("mainWindow"));
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(12);
    setFont(f);
    setMinimumSize(300, 200);
    resize(423, 340);
    move(272, 125);
    setAcceptDrops(true);
    createControls();
    createCommands();
    createMenus();

    qApp->installEventFilter(this);
    createDocument();

    // FormCreate
    guarded([this] {
        setWindowTitle(QString::fromLatin1(kCaption));
        RegisteredFiles.clear();
        m_textView->Clear();
        m_format->setText(m_document->formatText());
        m_settings.load();
    });
    m_index->headingCombo()->setFocus();
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

void MainWindow::SetWordWrap(bool on) {
    WordWrap = on;
    m_textView->SetWordWrap(on);
}

bool MainWindow::GetListViewVisible() const { return m_listWidth > 1; }

void MainWindow::SetListViewVisible(bool on) {
    m_listWidth = on ? frameGeometry().width() / 3 : 1;
    m_bodySplitter->setFirstPaneWidth(m_listWidth);
}

QString MainWindow::resolvePath(const QString& path) const { return ResolveAgainst(m_paths.programDir, path); }

void MainWindow::createDocument() {
    m_document = std::make_unique<DocumentController>(m_textView, &m_copies, m_paths.programDir,
                                                      m_paths.recoveryDir, this);
    DocumentController* d = m_document.get();
    connect(d, &DocumentController::textReplaced, m_finder, &TextFinder::TextReplaced);
    connect(d, &DocumentController::rebuildIndexWanted, m_index, &IndexController::rebuild);
    connect(d, &DocumentController::caretMoved, this, &MainWindow::TrackCaret);
    connect(d, &DocumentController::notice, this, &MainWindow::SetStatusText);
    connect(d, &DocumentController::fileNameChanged, this, [this](const QString& path) {
        const QString caption = kCaptionPrefix + FileNamePart(path);
        setWindowTitle(caption);
        SetApplicationTitle(caption);
    });
    connect(d, &DocumentController::formatChanged, m_format, &QLabel::setText);
    d->setRecentList(m_paths.recentFilesList, QString::fromLatin1(version::kAppId));
    connect(d, &DocumentController::modifiedChanged, this,
            [this](bool on) { m_modified->setText(on ? tr("変更あり") : QString()); });
}

void MainWindow::createControls() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_headingBar = new QFrame(central);
    m_headingBar->setObjectName(QStringLiteral("headingBar"));
    m_headingBar->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_headingBar->setFixedHeight(25);
    auto* top = new QHBoxLayout(m_headingBar);
    top->setContentsMargins(1, 1, 1, 1);
    top->setSpacing(0);
    m_topSplitter = new QSplitter(Qt::Horizontal, m_headingBar);
    m_topSplitter->setObjectName(QStringLiteral("headingSplitter"));
    m_topSplitter->setHandleWidth(9);
    m_topSplitter->setChildrenCollapsible(false);
    auto* leftMargin = new QWidget(m_topSplitter);
    leftMargin->setObjectName(QStringLiteral("headingLeftMargin"));
    leftMargin->setMinimumWidth(10);
    auto* comboPane = new QWidget(m_topSplitter);
    comboPane->setObjectName(QStringLiteral("headingComboPane"));
    comboPane->setMinimumWidth(60);
    auto* comboLayout = new QHBoxLayout(comboPane);
    comboLayout->setContentsMargins(0, 0, 0, 0);
    auto* rightMargin = new QWidget(m_topSplitter);
    rightMargin->setObjectName(QStringLiteral("headingRightMargin"));
    rightMargin->setMinimumWidth(10);
    m_topSplitter->addWidget(leftMargin);
    m_topSplitter->addWidget(comboPane);
    m_topSplitter->addWidget(rightMargin);
    m_topSplitter->setStretchFactor(1, 1);
    m_topSplitter->setSizes({19, 300, 10});
    top->addWidget(m_topSplitter);
    column->addWidget(m_headingBar);

    m_bodySplitter = new GripSplitter(Qt::Horizontal, central);
    m_bodySplitter->setObjectName(QStringLiteral("bodySplitter"));
    m_textView = new TextView(m_bodySplitter);
    m_index = new IndexController(m_textView, &m_copies, this);
    comboLayout->addWidget(m_index->headingCombo());
    m_textView->setObjectName(QStringLiteral("textView"));
    m_bodySplitter->addWidget(m_index->listPanel());
    m_bodySplitter->addWidget(m_textView);
    m_bodySplitter->setStretchFactor(1, 1);
    m_bodySplitter->setSizes({121, 298});
    column->addWidget(m_bodySplitter, 1);
    m_findBar = new FindBar(central);
    column->addWidget(m_findBar);
    setCentralWidget(central);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setFixedHeight(19);
    m_status = new QLabel(bar);
    m_status->setObjectName(QStringLiteral("caretStatus"));
    bar->addWidget(m_status, 1);
    m_notice = new QLabel(bar);
    m_notice->setObjectName(QStringLiteral("searchNotice"));
    bar->addWidget(m_notice);
    // The encoding panel sits at the right inside the status label: as a second widget of the bar it
    // would have every caret move lay the bar out again.
    m_format = new QLabel(m_status);
    m_format->setObjectName(QStringLiteral("documentFormat"));
    // Drawn over a long message rather than through it, with a gap before it.
    m_format->setAutoFillBackground(true);
    m_format->setContentsMargins(8, 0, 0, 0);
    m_modified = new QLabel(m_status);
    m_modified->setObjectName(QStringLiteral("modifiedState"));
    m_modified->setAutoFillBackground(true);
    m_modified->setContentsMargins(8, 0, 0, 0);
    m_count = new QLabel(m_status);
    m_count->setObjectName(QStringLiteral("sectionCount"));
    m_count->setAutoFillBackground(true);
    m_count->setContentsMargins(8, 0, 0, 0);
    auto* right = new QHBoxLayout(m_status);
    right->setContentsMargins(0, 0, 4, 0);
    right->addStretch(1);
    right->addWidget(m_modified);
    right->addWidget(m_count);
    right->addWidget(m_format);
    setStatusBar(bar);

    m_finder = new TextFinder(m_textView, m_findBar, this);
    connect(m_finder, &TextFinder::noticeChanged, m_notice, &QLabel::setText);
    connect(m_finder, &TextFinder::moved, this, [this] { guarded([this] { TrackCaret(); }); });

    setTabOrder(m_index->headingCombo(), m_index->headingList());
    setTabOrder(m_index->headingList(), m_textView);
    setTabOrder(m_textView, m_index->filterField());

    connect(m_index, &IndexController::jumped, this, &MainWindow::TrackCaret);
    connect(m_bodySplitter, &GripSplitter::resized, this, [this] {
        m_listWidth = m_bodySplitter->firstPaneWidth();
        guarded([this] { m_index->rebuild(); });
    });
    connect(m_textView, &TextView::changed, this, [this] { guarded([this] { TrackCaret(); }); });
    connect(m_textView, &TextView::keyDown, this, [this] { guarded([this] { TrackCaret(); }); });
    connect(m_textView, &TextView::keyUp, this, [this] { guarded([this] { TrackCaret(); }); });
    connect(m_textView, &TextView::mouseDown, this, [this] { guarded([this] { TrackCaret(); }); });
    // A selection dragged with the mouse changes the count too; counted once the view is idle.
    connect(m_textView, &TextView::caretUpdated, this, &MainWindow::ShowCounts);
}

void MainWindow::TrackCaret() {
    int ln, col, docLine;
    if (WordWrap) {
        // The display row and the column within it, for the selection's start.
        ln = m_textView->CaretDisplayLine();
        col = m_textView->CaretDisplayColumn();
        docLine = m_textView->SelectionStartLine();
    } else {
        ln = docLine = m_textView->SelectionEndLine();
        col = m_textView->SelectionEndColumn();
    }
    SetStatusText(tr("%1行: %2列").arg(ln + 1).arg(col + 1));
    m_index->followCaret(docLine);
    ShowCounts();
}

void MainWindow::ShowCounts() {
    if (m_countPending) return;
    m_countPending = true;
    QTimer::singleShot(0, this, [this] {
        m_countPending = false;
        // Committed text only: its commit or cancel counts again.
        if (m_textView->Composing()) return;
        guarded([this] {
            // A few milliseconds at a time: a section of many megabytes is counted once, between events,
            // the window answering meanwhile.
            constexpr double kBudgetMs = 4;
            bool unfinished = false;
            QString text;
            if (const std::optional<std::int64_t> selected = m_index->selectionCount(kBudgetMs, &unfinished))
                text = SelectionCountText(*selected);
            else if (unfinished)
                text = tr("選択 …字");
            else if (const auto section = m_index->sectionCountAt(m_textView->CaretLine(), kBudgetMs, &unfinished))
                text = SectionCountText(*section);
            else if (unfinished)
                text = tr("節 …字");
            if (text != m_count->text()) m_count->setText(text);
            if (unfinished) ShowCounts();
        });
    });
}

QString MainWindow::CountText() const { return m_count->text(); }

QString MainWindow::ModifiedText() const { return m_modified->text(); }

void MainWindow::showDocumentInfo() {
    // Counting tens of megabytes for the first time takes a moment: the pointer says so.
    const bool large = m_textView->Utf8Length() >= (16L << 20);
    if (large) QApplication::setOverrideCursor(Qt::WaitCursor);
    TextCount count;
    try {
        count = m_index->documentCount();
    } catch (...) {
        if (large) QApplication::restoreOverrideCursor();
        throw;
    }
    if (large) QApplication::restoreOverrideCursor();
    ShowMessage(this, tr("文字数: %1字\n原稿用紙: %2枚 (400字詰め)\n行数: %3\n見出し: %4")
                          .arg(GroupedNumber(count.characters), SheetsNumber(count),
                               GroupedNumber(m_textView->LineCount()), GroupedNumber(m_index->entryCount())));
}

void MainWindow::SetStatusText(const QString& text) { m_status->setText(text); }

QString MainWindow::StatusText() const { return m_status->text(); }

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    auto* w = qobject_cast<QWidget*>(watched);
    const bool ours = w && w->window() == this;
    switch (e->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress: {
            if (!ours || QApplication::activePopupWidget() || QApplication::activeModalWidget()) break;
            auto* ke = static_cast<QKeyEvent*>(e);
            // A line field keeps its own editing keys: the edit commands act on the text view.
            if (qobject_cast<QLineEdit*>(w) &&
                (ke->matches(QKeySequence::Copy) || ke->matches(QKeySequence::Cut) ||
                 ke->matches(QKeySequence::Paste) || ke->matches(QKeySequence::Undo) ||
                 ke->matches(QKeySequence::Redo) || ke->matches(QKeySequence::SelectAll)))
                break;
            // The find bar's fields keep their own editing keys.
            if (m_findBar->KeepsKey(watched, ke)) break;
            // One decision per key: the override pass claims it, the press runs it.
            if (e->type() == QEvent::ShortcutOverride) {
                m_commandTable->claimKey(ke);
                break;
            }
            if (m_commandTable->dispatchKey(ke)) return true;
            if (m_menus->accessKey(w, ke)) return true;
            break;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove:
            if (w && w->window() == this) {
                auto* de = static_cast<QDragMoveEvent*>(e);
                if (de->mimeData()->hasUrls()) {
                    de->acceptProposedAction();
                    return true;
                }
            }
            break;
        case QEvent::Drop:
            if (w && w->window() == this) {
                auto* de = static_cast<QDropEvent*>(e);
                const QList<QUrl> urls = de->mimeData()->urls();
                if (!urls.isEmpty()) {
                    de->acceptProposedAction();
                    const QString path = urls.first().toLocalFile();
                    guarded([this, path] { openFileDropped(path); });
                    return true;
                }
            }
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, e);
}

QString MainWindow::NoticeText() const { return m_notice->text(); }

void MainWindow::openFileDropped(const QString& path) {
    if (!path.isEmpty()) m_document->open(path);
}

void MainWindow::Startup(const QStringList& arguments) {
    guarded([this, &arguments] {
        if (!arguments.isEmpty()) {
            const QString first = arguments.first();
            if (!first.isEmpty()) {
                QFileInfo info(first);
                if (info.exists() && info.isFile()) m_document->open(info.absoluteFilePath());
                return;
            }
        }
        if (StartUpIndex >= 0 && StartUpIndex < RegisteredFiles.size())
            m_document->open(RegisteredFiles.at(StartUpIndex));
    });
    guarded([this] {
        if (m_document->fileName().isEmpty()) m_document->guard().offerRecovery(QString());
    });
}

void MainWindow::closeEvent(QCloseEvent* e) {
    // The settings are written first and always; a failure is reported and the close goes on.
    try {
        m_settings.save();
    } catch (const std::exception& ex) {
        ShowErrorBox(this, QString::fromUtf8(ex.what()));
    }
    bool closes = false;
    guarded([this, &closes] { closes = m_document->askToSave(DocumentController::AskReason::Closing); });
    if (!closes) {
        e->ignore();
        return;
    }
    e->accept();
}

}  // namespace oruvan
