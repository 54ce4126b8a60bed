#include "app/MainWindow.h"

#include <QAbstractEventDispatcher>
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
#include <QVBoxLayout>

#include "index/HeadingFilterField.h"
#include "index/HeadingList.h"
#include "index/IndexController.h"
#include "index/IndexMenu.h"
#include "document/RecoveryWriter.h"
#include "view/TextFinder.h"
#include "view/TextView.h"
#include "widgets/UserError.h"
#include "widgets/FindBar.h"
#include "widgets/ImageList.h"
#include "widgets/MessageBoxes.h"
#include "widgets/NvSplitter.h"
#include "version/Version.h"

namespace oruvan {

namespace {
const char* const kCaption = version::kNameAndNumber;
}

// One command of the command table, with its menu item (or a hidden action) as its face.
struct MainWindow::CommandEntry {
    QString name;
    QString category;
    QString caption;
    QString key;
    int picture;
    void (MainWindow::*executeHandler)();
    void (MainWindow::*updateHandler)(QAction*);
    QAction* action = nullptr;
};

MainWindow::MainWindow(ProgramPaths paths, QWidget* parent) : QMainWindow(parent), m_paths(std::move(paths)) {
    setObjectName(QStringLiteral("frmMain"));
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

    // Commands follow the program's state whenever it goes idle.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &MainWindow::UpdateCommands);
    qApp->installEventFilter(this);
    setupSafety();

    // FormCreate
    guarded([this] {
        setWindowTitle(QString::fromLatin1(kCaption));
        RegisteredFiles.clear();
        m_textView->Clear();
        ShowDocumentFormat();
        LoadSettings();
    });
    m_index->headingCombo()->setFocus();
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

void MainWindow::createControls() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(25);
    auto* top = new QHBoxLayout(Panel1);
    top->setContentsMargins(1, 1, 1, 1);
    top->setSpacing(0);
    m_topSplitter = new QSplitter(Qt::Horizontal, Panel1);
    m_topSplitter->setObjectName(QStringLiteral("Splitter1"));
    m_topSplitter->setHandleWidth(9);
    m_topSplitter->setChildrenCollapsible(false);
    auto* panel2 = new QWidget(m_topSplitter);
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setMinimumWidth(10);
    auto* panel3 = new QWidget(m_topSplitter);
    panel3->setObjectName(QStringLiteral("Panel3"));
    panel3->setMinimumWidth(60);
    auto* p3 = new QHBoxLayout(panel3);
    p3->setContentsMargins(0, 0, 0, 0);
    auto* panel4 = new QWidget(m_topSplitter);
    panel4->setObjectName(QStringLiteral("Panel4"));
    panel4->setMinimumWidth(10);
    m_topSplitter->addWidget(panel2);
    m_topSplitter->addWidget(panel3);
    m_topSplitter->addWidget(panel4);
    m_topSplitter->setStretchFactor(1, 1);
    m_topSplitter->setSizes({19, 300, 10});
    top->addWidget(m_topSplitter);
    column->addWidget(Panel1);

    m_bodySplitter = new TNvSplitter(Qt::Horizontal, central);
    m_bodySplitter->setObjectName(QStringLiteral("NvSplitter1"));
    m_textView = new TextView(m_bodySplitter);
    m_index = new IndexController(m_textView, &m_copies, this);
    p3->addWidget(m_index->headingCombo());
    m_textView->setObjectName(QStringLiteral("memo"));
    m_bodySplitter->addWidget(m_index->listPanel());
    m_bodySplitter->addWidget(m_textView);
    m_bodySplitter->setStretchFactor(1, 1);
    m_bodySplitter->setSizes({121, 298});
    column->addWidget(m_bodySplitter, 1);
    m_findBar = new FindBar(central);
    column->addWidget(m_findBar);
    setCentralWidget(central);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFixedHeight(19);
    m_status = new QLabel(bar);
    m_status->setObjectName(QStringLiteral("StatusText"));
    bar->addWidget(m_status, 1);
    m_notice = new QLabel(bar);
    m_notice->setObjectName(QStringLiteral("NoticeText"));
    bar->addWidget(m_notice);
    // The encoding panel sits at the right inside the status label: as a second widget of the bar it
    // would have every caret move lay the bar out again.
    m_format = new QLabel(m_status);
    m_format->setObjectName(QStringLiteral("FormatText"));
    // Drawn over a long message rather than through it, with a gap before it.
    m_format->setAutoFillBackground(true);
    m_format->setContentsMargins(8, 0, 0, 0);
    auto* right = new QHBoxLayout(m_status);
    right->setContentsMargins(0, 0, 4, 0);
    right->addStretch(1);
    right->addWidget(m_format);
    setStatusBar(bar);

    m_finder = new TextFinder(m_textView, m_findBar, this);
    connect(m_finder, &TextFinder::noticeChanged, m_notice, &QLabel::setText);
    connect(m_finder, &TextFinder::moved, this, [this] { guarded([this] { TrackCaret(); }); });

    setTabOrder(m_index->headingCombo(), m_index->headingList());
    setTabOrder(m_index->headingList(), m_textView);
    setTabOrder(m_textView, m_index->filterField());

    connect(m_index, &IndexController::jumped, this, &MainWindow::TrackCaret);
    connect(m_bodySplitter, &TNvSplitter::resized, this, [this] {
        m_listWidth = m_bodySplitter->firstPaneWidth();
        guarded([this] { m_index->rebuild(); });
    });
    connect(m_textView, &TextView::changed, this, [this] { guarded([this] { TrackCaret(); }); });
    connect(m_textView, &TextView::keyDown, this, [this] { guarded([this] { TrackCaret(); }); });
    connect(m_textView, &TextView::keyUp, this, [this] { guarded([this] { TrackCaret(); }); });
    connect(m_textView, &TextView::mouseDown, this, [this] { guarded([this] { TrackCaret(); }); });
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
    SetStatusText(QStringLiteral("%1行: %2列").arg(ln + 1).arg(col + 1));
    m_index->followCaret(docLine);
}

void MainWindow::SetStatusText(const QString& text) { m_status->setText(text); }

QString MainWindow::StatusText() const { return m_status->text(); }

void MainWindow::createCommands() {
    using M = MainWindow;
    struct Row {
        const char* name;
        const char* category;
        const char* caption;
        const char* key;
        int picture;
        void (M::*execute)();
        void (M::*update)(QAction*);
    };
    // The command table, in its order. A command without an execute handler has no behaviour of its own.
    static const Row rows[] = {
        {"actFileUpDate", "ファイル", "更新(&U)", "F5", -1, &M::actFileUpDateExecute, nullptr},
        {"actFileSave", "ファイル", "上書き保存+更新(&S)", "Ctrl+S", 3, &M::actFileSaveExecute,
         &M::actFileSaveUpdate},
        {"actCancel", "", "キャンセル", "Esc", 0, nullptr, nullptr},
        {"actFileExit", "ファイル", "終了(&X)", "Alt+F4", 1, &M::actFileExitExecute, nullptr},
        {"actFileOpen", "ファイル", "開く(&O)...", "", 2, &M::actFileOpenExecute, nullptr},
        {"actOptTextColor", "オプション", "テキスト色の設定(&T)...", "", 6, &M::actOptTextColorExecute,
         nullptr},
        {"actOptSetting", "オプション", "設定(&S)...", "", 8, &M::actOptSettingExecute, nullptr},
        {"actOptFontCtrl", "オプション", "フォントの設定(&F)...", "", 7, &M::actOptFontCtrlExecute, nullptr},
        {"actOptBackColor", "オプション", "背景色の設定(&B)...", "", 6, &M::actOptBackColorExecute, nullptr},
        {"actOptWordWrap", "オプション", "右端で折り返す(&W)", "", 9, &M::actOptWordWrapExecute,
         &M::actOptWordWrapUpdate},
        {"actOptHelp", "オプション", "ヘルプ(&H)...", "F1", -1, &M::actOptHelpExecute, nullptr},
        {"actEditCopy", "編集", "コピー(&C)", "Ctrl+C", 10, &M::actEditCopyExecute, &M::actEditCopyUpdate},
        {"actEditCut", "編集", "切り取り(&X)", "Ctrl+X", 11, &M::actEditCutExecute, &M::actEditCutUpdate},
        {"actEditPaste", "編集", "貼りつけ(&P)", "Ctrl+V", 13, &M::actEditPasteExecute, nullptr},
        {"actEditDelete", "編集", "削除(&D)", "", 12, &M::actEditDeleteExecute, &M::actEditDeleteUpdate},
        {"actEditSelectAll", "編集", "全て選択(&A)", "Ctrl+A", -1, &M::actEditSelectAllExecute, nullptr},
        {"actEditFind", "編集", "検索(&F)...", "Ctrl+F", -1, &M::actEditFindExecute, nullptr},
        {"actEditReplace", "編集", "置換(&R)...", "Ctrl+R", -1, &M::actEditReplaceExecute, nullptr},
        {"actEditUndo", "編集", "元に戻す(&U)", "Ctrl+Z", 15, &M::actEditUndoExecute, &M::actEditUndoUpdate},
        {"actAbout", "オプション", "バージョン情報(&A)...", "", -1, &M::actAboutExecute, nullptr},
        {"actEditFindNext", "編集", "次を検索(&N)", "F3", -1, &M::actEditFindNextExecute, nullptr},
        {"actBtnMinimize", "ボタン", "-", "", -1, &M::actBtnMinimizeExecute, nullptr},
        {"actBtnMaximized", "ボタン", "□", "", -1, nullptr, nullptr},
        {"actOptOpenFolder", "オプション", "カレントフォルダを開く(&D)", "", -1, &M::actOptOpenFolderExecute,
         nullptr},
        {"actShowListView", "", "リストビューを表示する(&L)", "", -1, &M::actShowListViewExecute,
         &M::actShowListViewUpdate},
        {"actIndexFilter", "インデックス", "見出しの絞り込み(&J)", "Ctrl+J", -1, &M::actIndexFilterExecute,
         nullptr},
        {"actOptHeadingLevels", "オプション", "タイトル記号の順を見出しのレベルにする(&H)", "", -1,
         &M::actOptHeadingLevelsExecute, &M::actOptHeadingLevelsUpdate},
        {"actEditFindPrev", "編集", "前を検索", "Shift+F3", -1, &M::actEditFindPrevExecute, nullptr},
        {"actEditGoToLine", "編集", "行へ移動(&G)...", "Ctrl+G", -1, &M::actEditGoToLineExecute, nullptr},
        {"actEditRedo", "編集", "やり直し(&R)", "Ctrl+Y", -1, &M::actEditRedoExecute, &M::actEditRedoUpdate},
        // Submenus: their items act, the command keeps the submenu's state.
        {"actFileReopen", "ファイル", "文字コードを指定して開き直す(&E)", "", -1, nullptr,
         &M::actFileReopenUpdate},
        {"actOptSaveEncoding", "オプション", "保存する文字コード(&C)", "", -1, nullptr,
         &M::actOptSaveEncodingUpdate},
        {"actOptLineBreak", "オプション", "改行コード(&L)", "", -1, nullptr, &M::actOptLineBreakUpdate},
    };
    int order = 0;
    for (const Row& r : rows) {
        auto c = std::make_unique<CommandEntry>();
        c->name = QString::fromLatin1(r.name);
        c->category = QString::fromUtf8(r.category);
        c->caption = QString::fromUtf8(r.caption);
        c->key = QString::fromLatin1(r.key);
        c->picture = r.picture;
        c->executeHandler = r.execute;
        c->updateHandler = r.update;
        c->action = new QAction(c->caption, this);
        c->action->setObjectName(c->name);
        // The table's own fields stay readable after a menu item gives the action its own face.
        c->action->setProperty("order", order++);
        c->action->setProperty("category", c->category);
        c->action->setProperty("caption", c->caption);
        c->action->setProperty("key", c->key);
        c->action->setProperty("picture", c->picture);
        if (c->picture >= 0) c->action->setIcon(ImageList1(c->picture));
        if (!c->executeHandler) c->action->setEnabled(false);
        CommandEntry* raw = c.get();
        connect(c->action, &QAction::triggered, this, [this, raw] { execute(*raw); });
        m_commands.push_back(std::move(c));
    }
    Command(QStringLiteral("actBtnMinimize"))->setToolTip(QStringLiteral("最小化"));
    Command(QStringLiteral("actBtnMaximized"))->setToolTip(QStringLiteral("最大化／元に戻す"));
    Command(QStringLiteral("actOptWordWrap"))->setCheckable(true);
    Command(QStringLiteral("actShowListView"))->setCheckable(true);
    Command(QStringLiteral("actOptHeadingLevels"))->setCheckable(true);
}

QAction* MainWindow::Command(const QString& name) const {
    for (const auto& c : m_commands)
        if (c->name == name) return c->action;
    return nullptr;
}

void MainWindow::bindKey(const QString& key, QAction* action, bool inMenu) {
    QKeySequence seq(key, QKeySequence::PortableText);
    if (seq.isEmpty()) return;
    m_keys.push_back({seq[0].toCombined(), action, inMenu});
}

// A menu item bound to a command shows the command's caption, key and picture unless it has its own.
QAction* MainWindow::addItem(QMenu* menu, const QString& commandName, const QString& ownCaption,
                           int ownPicture) {
    CommandEntry* c = nullptr;
    for (auto& e : m_commands)
        if (e->name == commandName) c = e.get();
    Q_ASSERT(c);
    QAction* a = c->action;
    QString caption = ownCaption.isEmpty() ? c->caption : ownCaption;
    if (!c->key.isEmpty())
        caption += QLatin1Char('\t') + QKeySequence(c->key).toString(QKeySequence::NativeText);
    a->setText(caption);
    if (ownPicture >= 0) a->setIcon(ImageList1(ownPicture));
    menu->addAction(a);
    bindKey(c->key, a, true);
    return a;
}

QAction* MainWindow::addOwnItem(QMenu* menu, const QString& caption, const QString& key, int picture,
                              std::function<void()> handler) {
    QString text = caption;
    if (!key.isEmpty()) text += QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
    auto* a = new QAction(text, this);
    if (picture >= 0) a->setIcon(ImageList1(picture));
    connect(a, &QAction::triggered, this, [this, handler] { guarded(handler); });
    menu->addAction(a);
    bindKey(key, a, true);
    return a;
}

void MainWindow::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto named = [](QAction* a, const char* name) {
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    File1 = bar->addMenu(QStringLiteral("ファイル(&F)"));
    File1->setObjectName(QStringLiteral("File1"));
    named(addOwnItem(File1, QStringLiteral("新規作成(&N)"), {}, -1, [this] { N10Click(); }), "N10");
    named(File1->addSeparator(), "N8");
    QAction* open1 = addItem(File1, QStringLiteral("actFileOpen"));
    open1->setText(open1->text() + QLatin1Char('\t') + QKeySequence(QStringLiteral("Ctrl+O")).toString());
    bindKey(QStringLiteral("Ctrl+O"), open1, true);
    addItem(File1, QStringLiteral("actFileReopen"));
    named(File1->addSeparator(), "N1");
    addItem(File1, QStringLiteral("actFileSave"), QStringLiteral("上書き保存(&S)"));
    named(addOwnItem(File1, QStringLiteral("名前を付けて保存(&A)"), {}, -1, [this] { SaveAs1Click(); }),
          "SaveAs1");
    named(File1->addSeparator(), "N2");
    addItem(File1, QStringLiteral("actFileExit"));
    connect(File1, &QMenu::aboutToShow, this, [this] { guarded([this] { File1Click(); }); });

    QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName(QStringLiteral("Edit1"));
    addItem(edit, QStringLiteral("actEditUndo"), {}, 8);
    bindKey(QStringLiteral("Ctrl+Shift+Z"), addItem(edit, QStringLiteral("actEditRedo")), true);
    named(edit->addSeparator(), "N9");
    addItem(edit, QStringLiteral("actEditCut"), {}, 9);
    addItem(edit, QStringLiteral("actEditCopy"), {}, 12);
    addItem(edit, QStringLiteral("actEditPaste"), {}, 11);
    addItem(edit, QStringLiteral("actEditDelete"), {}, 10);
    addItem(edit, QStringLiteral("actEditSelectAll"));
    named(edit->addSeparator(), "N11");
    addItem(edit, QStringLiteral("actEditFind"));
    addItem(edit, QStringLiteral("actEditReplace"));
    addItem(edit, QStringLiteral("actEditFindNext"));
    addItem(edit, QStringLiteral("actEditFindPrev"));
    addItem(edit, QStringLiteral("actEditGoToLine"));
    named(edit->addSeparator(), "N12");
    addItem(edit, QStringLiteral("actOptOpenFolder"));

    QMenu* settings = bar->addMenu(QStringLiteral("設定(&S)"));
    settings->setObjectName(QStringLiteral("S1"));
    addItem(settings, QStringLiteral("actOptSetting"), {}, 14);
    named(settings->addSeparator(), "N3");
    addItem(settings, QStringLiteral("actOptFontCtrl"));
    addItem(settings, QStringLiteral("actOptBackColor"));
    addItem(settings, QStringLiteral("actOptTextColor"));
    named(settings->addSeparator(), "N4");
    addItem(settings, QStringLiteral("actOptWordWrap"), {}, 8);
    addItem(settings, QStringLiteral("actOptHeadingLevels"));
    createFormatMenus(settings);

    // The bar holds it as it holds the menus it makes.
    QMenu* indexMenu = m_index->indexMenu();
    indexMenu->setParent(bar, indexMenu->windowFlags());
    bar->addMenu(indexMenu);
    addItem(indexMenu, QStringLiteral("actIndexFilter"));
    named(indexMenu->addSeparator(), "N14");

    QMenu* show = bar->addMenu(QStringLiteral("表示(&V)"));
    show->setObjectName(QStringLiteral("Show1"));
    named(addOwnItem(show, QStringLiteral("前のインデックスへ移動(&P)"), QStringLiteral("Alt+Up"), 16,
                     [this] { m_index->stepPrevious(); }),
          "P2");
    named(addOwnItem(show, QStringLiteral("次のインデックスへ移動(&N)"), QStringLiteral("Alt+Down"), 15,
                     [this] { m_index->stepNext(); }),
          "N5");
    named(show->addSeparator(), "N6");
    addItem(show, QStringLiteral("actShowListView"));
    named(show->addSeparator(), "N7");
    addItem(show, QStringLiteral("actFileUpDate"));

    QMenu* help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("Help2"));
    addItem(help, QStringLiteral("actAbout"));
    addItem(help, QStringLiteral("actOptHelp"));

    // Keys of commands that no menu item offers.
    for (const auto& c : m_commands) {
        bool inMenu = false;
        for (const KeyBinding& k : m_keys) inMenu = inMenu || k.action == c->action;
        if (!inMenu) bindKey(c->key, c->action, false);
    }
    for (QMenu* m : {File1, edit, settings, indexMenu, show, help})
        connect(m, &QMenu::aboutToShow, this, &MainWindow::UpdateCommands);
}

void MainWindow::UpdateCommands() {
    for (auto& c : m_commands)
        if (c->updateHandler) (this->*(c->updateHandler))(c->action);
}

void MainWindow::guarded(const std::function<void()>& handler) { ReportErrors(this, handler); }

void MainWindow::execute(CommandEntry& c) {
    if (c.updateHandler) (this->*(c.updateHandler))(c.action);
    if (!c.action->isEnabled() || !c.executeHandler) return;
    guarded([this, &c] { (this->*(c.executeHandler))(); });
}

bool MainWindow::RunCommand(const QString& name) {
    for (auto& c : m_commands) {
        if (c->name != name) continue;
        if (c->updateHandler) (this->*(c->updateHandler))(c->action);
        if (!c->action->isEnabled() || !c->executeHandler) return false;
        execute(*c);
        return true;
    }
    return false;
}

// Menu keys first (hidden and disabled items included: a match consumes the key), then the keys of
// commands no menu offers, which a disabled command leaves to the focused control.
bool MainWindow::dispatchKey(QKeyEvent* e) {
    const int combined =
        QKeyCombination(e->modifiers() & ~Qt::KeypadModifier, Qt::Key(e->key())).toCombined();
    for (const bool menuPass : {true, false}) {
        for (const KeyBinding& k : m_keys) {
            if (k.inMenu != menuPass || k.key != combined) continue;
            QAction* a = k.action;
            CommandEntry* c = nullptr;
            for (auto& cmd : m_commands)
                if (cmd->action == a) c = cmd.get();
            if (c) {
                if (c->updateHandler) (this->*(c->updateHandler))(a);
                if (!a->isEnabled() || !c->executeHandler) {
                    if (menuPass) return true;
                    continue;
                }
                execute(*c);
                return true;
            }
            if (a->isEnabled()) a->trigger();
            return true;
        }
    }
    return false;
}

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
                const int combined =
                    QKeyCombination(ke->modifiers() & ~Qt::KeypadModifier, Qt::Key(ke->key())).toCombined();
                for (const KeyBinding& k : m_keys)
                    if (k.key == combined) {
                        e->accept();
                        break;
                    }
                break;
            }
            if (dispatchKey(ke)) return true;
            if (accessKey(w, ke)) return true;
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

void MainWindow::openFileDropped(const QString& path) {
    if (!path.isEmpty()) OpenDocument(path);
}

void MainWindow::Startup(const QStringList& arguments) {
    guarded([this, &arguments] {
        if (!arguments.isEmpty()) {
            const QString first = arguments.first();
            if (!first.isEmpty()) {
                QFileInfo info(first);
                if (info.exists() && info.isFile()) OpenDocument(info.absoluteFilePath());
                return;
            }
        }
        if (StartUpIndex >= 0 && StartUpIndex < RegisteredFiles.size())
            OpenDocument(RegisteredFiles.at(StartUpIndex));
    });
    guarded([this] {
        if (DocumentFileName.isEmpty()) offerRecovery(QString());
    });
}

void MainWindow::closeEvent(QCloseEvent* e) {
    // The settings are written first and always; a failure is reported and the close goes on.
    try {
        SaveSettings();
    } catch (const std::exception& ex) {
        ShowErrorBox(this, QString::fromUtf8(ex.what()));
    }
    if (!Modified()) {
        m_recovery->discard();
        e->accept();
        return;
    }
    sayCopiesFail();
    const Answer a = Confirm(this, QStringLiteral("文書は変更されています。保存しますか？"));
    if (a == Answer::Cancel) {
        e->ignore();
        return;
    }
    if (a == Answer::Yes) {
        bool saved = false;
        guarded([this, &saved] {
            actFileSaveExecute();
            saved = !Modified();
        });
        if (!saved) {
            e->ignore();
            return;
        }
        ShowMessage(this, QStringLiteral("ファイルを保存しました。"));
    }
    m_recovery->discard();
    e->accept();
}

}  // namespace oruvan
