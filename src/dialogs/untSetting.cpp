#include "dialogs/untSetting.h"

#include "dialogs/DialogKeys.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QScreen>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

#include "settings/SettingDialogMath.h"
#include "widgets/Cp932Text.h"
#include "widgets/Pictures.h"
#include "widgets/MessageBoxes.h"
#include "widgets/TextFileDialog.h"

namespace oruvan {

namespace {

const QString kFileDialogTitle = QStringLiteral("ファイルを登録");
constexpr int kMarkerTop = 48;
constexpr int kNumberTop = 28;
constexpr int kFarOut = 10000;
constexpr int kFileRowHeight = 12;

// The file list's rows are 12 pixels high, whatever the font, and its check boxes are drawn to fit them.
class FileRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kFileRowHeight};
    }
};

class FileListStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        if (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight)
            return std::min(value, kFileRowHeight - 1);
        return value;
    }
};

// The open dialog of the add button: like the system's, it refuses a name in a folder that does not
// exist, while the file itself need not exist.
class RegisterFileDialog : public TextFileDialog {
public:
    explicit RegisterFileDialog(QWidget* parent) : TextFileDialog(parent, kFileDialogTitle, AcceptOpen) {}

    void accept() override {
        const QString chosen = selectedFiles().value(0);
        if (!chosen.isEmpty()) {
            const QFileInfo info(chosen);
            if (!info.isDir() && !QFileInfo(info.absolutePath()).isDir()) {
                ShowMessage(this, QStringLiteral("%1\nフォルダが見つかりません。").arg(info.absolutePath()));
                return;
            }
        }
        TextFileDialog::accept();
    }
};

QStringList LocalFiles(const QMimeData* mime) {
    QStringList files;
    if (!mime || !mime->hasUrls()) return files;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) files.append(url.toLocalFile());
    return files;
}

QFont FontOf(const char* family, bool bold = false) {
    QFont f(QString::fromUtf8(family));
    f.setPixelSize(12);
    f.setBold(bold);
    return f;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QFrame* MakeSeparator(QWidget* parent, const char* name, int left, int top, int width) {
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(left, top, width, 2);
    return line;
}

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& text, const char* glyph,
                        const QRect& geometry) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setIcon(QIcon(QString::fromLatin1(glyph)));
    b->setIconSize(QSize(24, 24));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(geometry);
    return b;
}

}  // namespace

TfrmSetting::TfrmSetting(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_programFile(QCoreApplication::applicationFilePath()) {
    InitResources();
    setObjectName(QStringLiteral("frmSetting"));
    setWindowTitle(QStringLiteral("設定"));
    setFont(FontOf("ＭＳ Ｐゴシック"));
    setFixedSize(412, 421);
    setAcceptDrops(true);
    m_fileChooser = [this] { return chooseFile(); };
    createControls();

    // FormCreate: the editor's design text is not a setting.
    lstFiles->clear();
    MemoKeyWords->clear();
}

void TfrmSetting::createControls() {
    Label2 = MakeLabel(this, "Label2", QStringLiteral("ドロップダウンリストに同時に表示する目次数"), 4, 12);
    Label3 = MakeLabel(this, "Label3", QStringLiteral("16"), 172, kNumberTop);
    Label3->setFont(FontOf("ＭＳ Ｐゴシック", true));
    Label3->adjustSize();

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::HLine);
    Shape1->setFrameShadow(QFrame::Plain);
    Shape1->setLineWidth(1);
    Shape1->setGeometry(168, kMarkerTop, 237, 1);

    Label1 = new QLabel(QStringLiteral("△"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(176, kMarkerTop, 12, 12);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setToolTip(QStringLiteral("左右にドラッグして数値変更"));
    Label1->installEventFilter(this);

    Bevel3 = MakeSeparator(this, "Bevel3", 4, 72, 401);
    Label7 = MakeLabel(this, "Label7", QStringLiteral("タイトルとして認識される文字"), 8, 84);

    MemoKeyWords = new QPlainTextEdit(this);
    MemoKeyWords->setObjectName(QStringLiteral("MemoKeyWords"));
    MemoKeyWords->setGeometry(300, 84, 105, 113);
    MemoKeyWords->setFont(FontOf("ＭＳ ゴシック"));
    MemoKeyWords->setFrameStyle(QFrame::Box | QFrame::Plain);
    MemoKeyWords->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoKeyWords->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoKeyWords->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoKeyWords->setTabChangesFocus(true);
    MemoKeyWords->installEventFilter(this);
    MemoKeyWords->viewport()->installEventFilter(this);

    CheckBox2 = new QCheckBox(QStringLiteral("タイトルに認識文字を含ませる(&T)"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setGeometry(8, 124, 189, 21);
    CheckBox1 = new QCheckBox(QStringLiteral("行頭のスペースを無視する(&S)"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(8, 152, 173, 17);
    CheckBox3 = new QCheckBox(QStringLiteral("インデックスメニューの「次へ」を一番上に表示する"), this);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    CheckBox3->setGeometry(8, 176, 277, 17);

    Bevel2 = MakeSeparator(this, "Bevel2", 4, 208, 401);
    Label4 = MakeLabel(this, "Label4", QStringLiteral("登録するファイル"), 4, 220);
    SpeedButton3 = MakeButton(this, "SpeedButton3", QStringLiteral("追加"), ":/images/button_add.xpm",
                              QRect(100, 220, 61, 25));
    SpeedButton3->setToolTip(QStringLiteral("ファイルを新規登録する"));
    SpeedButton4 = MakeButton(this, "SpeedButton4", QStringLiteral("削除"), ":/images/button_remove.xpm",
                              QRect(164, 220, 61, 25));
    SpeedButton4->setToolTip(QStringLiteral("選択ファイルをリストから削除する"));

    lstFiles = new QListWidget(this);
    lstFiles->setObjectName(QStringLiteral("lstFiles"));
    lstFiles->setGeometry(8, 248, 397, 81);
    lstFiles->setFont(FontOf("ＭＳ ゴシック"));
    lstFiles->setFrameStyle(QFrame::Box | QFrame::Plain);
    lstFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    lstFiles->setUniformItemSizes(true);
    auto* fileListStyle = new FileListStyle;
    fileListStyle->setParent(lstFiles);
    lstFiles->setStyle(fileListStyle);
    lstFiles->setItemDelegate(new FileRowDelegate(lstFiles));
    lstFiles->setToolTip(QStringLiteral("登録済みファイル／チェック付きファイルは、起動時に読み込む"));

    Label5 =
        MakeLabel(this, "Label5",
                  QStringLiteral("チェックがついているファイルは、起動時に自動で読み込まれます"), 8, 336);
    Label6 = MakeLabel(this, "Label6", QStringLiteral("ファイルをドラッグして追加する事も出来ます"), 8, 352);
    Bevel1 = MakeSeparator(this, "Bevel1", 0, 376, 401);
    SpeedButton1 = MakeButton(this, "SpeedButton1", QStringLiteral("OK"), ":/images/button_ok.xpm",
                              QRect(224, 384, 73, 29));
    SpeedButton2 = MakeButton(this, "SpeedButton2", QStringLiteral("キャンセル"),
                              ":/images/button_cancel.xpm", QRect(304, 384, 97, 29));

    setTabOrder(lstFiles, MemoKeyWords);
    setTabOrder(MemoKeyWords, CheckBox1);
    setTabOrder(CheckBox1, CheckBox2);
    setTabOrder(CheckBox2, CheckBox3);
    lstFiles->setFocus();

    connect(SpeedButton1, &QToolButton::clicked, this, &TfrmSetting::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TfrmSetting::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TfrmSetting::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TfrmSetting::SpeedButton4Click);
    connect(lstFiles, &QListWidget::itemChanged, this, &TfrmSetting::lstFilesClickCheck);
}

// ---- properties ----

QStringList TfrmSetting::RegisteredFiles() const {
    QStringList files;
    for (int i = 0; i < lstFiles->count(); ++i) files.append(lstFiles->item(i)->text());
    return files;
}

void TfrmSetting::SetRegisteredFiles(const QStringList& files) {
    lstFiles->clear();
    for (const QString& f : files) addFile(f);
}

TitleMarkList TfrmSetting::TitleMarks() const {
    TitleMarkList marks;
    const QString text = MemoKeyWords->toPlainText();
    if (text.isEmpty()) return marks;
    QStringList lines = text.split(QLatin1Char('\n'));
    // A break at the very end closes the last line rather than opening an empty one.
    if (lines.last().isEmpty()) lines.removeLast();
    for (const QString& line : lines) marks.push_back(ToCp932(line));
    return marks;
}

void TfrmSetting::SetTitleMarks(const TitleMarkList& marks) {
    QString text;
    for (const std::string& mark : marks) text += FromCp932(mark) + QLatin1Char('\n');
    MemoKeyWords->setPlainText(text);
}

int TfrmSetting::StartUpIndex() const {
    for (int i = 0; i < lstFiles->count(); ++i)
        if (lstFiles->item(i)->checkState() == Qt::Checked) return i;
    return -1;
}

void TfrmSetting::SetStartUpIndex(int index) {
    m_settingChecks = true;
    for (int i = 0; i < lstFiles->count(); ++i)
        lstFiles->item(i)->setCheckState(i == index ? Qt::Checked : Qt::Unchecked);
    m_settingChecks = false;
}

int TfrmSetting::DropDownCount() const { return Label3->text().toInt(); }

void TfrmSetting::SetDropDownCount(int count) {
    showNumber(count, MarkerLeftFor(count, Shape1->x(), Shape1->width(), Label1->width()));
}

void TfrmSetting::SetCaptionIncludingTitleMark(bool on) {
    m_captionIncludingTitleMark = on;
    CheckBox2->setChecked(on);
}

void TfrmSetting::SetIgnoreHeadSpaces(bool on) {
    m_ignoreHeadSpaces = on;
    CheckBox1->setChecked(on);
}

void TfrmSetting::SetNextPageMenuIsHead(bool on) {
    m_nextPageMenuIsHead = on;
    CheckBox3->setChecked(on);
}

QString TfrmSetting::RegisteredFormOf(const QString& path) const {
    const std::string program = QFile::encodeName(QDir::cleanPath(m_programFile)).toStdString();
    const std::string file = QFile::encodeName(QDir::cleanPath(path)).toStdString();
    return QFile::decodeName(QByteArray::fromStdString(RegisteredForm(program, file, PathStyle::Posix)));
}

// ---- the marker ----

void TfrmSetting::showNumber(int value, int markerLeft) {
    // A wild count from the settings file puts the marker far out of sight, but never at coordinates
    // the window system cannot take.
    markerLeft = std::clamp(markerLeft, -kFarOut, kFarOut);
    Label1->move(markerLeft, Label1->y());
    Label3->setText(QString::number(value));
    Label3->adjustSize();
    Label3->move(CentreLabelLeft(markerLeft, Label1->width(), Label3->width()), Label3->y());
}

void TfrmSetting::Label1MouseDown(Qt::MouseButton button) { m_markerDragging = button == Qt::LeftButton; }

void TfrmSetting::Label1MouseUp() { m_markerDragging = false; }

void TfrmSetting::Label1MouseMove(int x) {
    if (!m_markerDragging) return;
    const int scaleLeft = Shape1->x();
    const int scaleWidth = Shape1->width();
    const int left = ClampMarkerLeft(Label1->x() + x, scaleLeft, scaleWidth, Label1->width());
    showNumber(ValueForMarkerLeft(left, scaleLeft, scaleWidth, Label1->width()), left);
}

// ---- the file list ----

void TfrmSetting::addFile(const QString& registered) {
    auto* item = new QListWidgetItem(registered);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    m_settingChecks = true;
    lstFiles->addItem(item);
    m_settingChecks = false;
}

void TfrmSetting::lstFilesClickCheck(QListWidgetItem* item) {
    if (m_settingChecks || !item) return;
    // The view eats a click in a check box; the file clicked is the file meant, so select it.
    lstFiles->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    // Only a newly checked file can break the one-check rule; unchecking leaves none checked.
    if (item->checkState() != Qt::Checked) return;
    m_settingChecks = true;
    for (int i = 0; i < lstFiles->count(); ++i) {
        QListWidgetItem* other = lstFiles->item(i);
        if (other != item && other->checkState() != Qt::Unchecked) other->setCheckState(Qt::Unchecked);
    }
    m_settingChecks = false;
}

QString TfrmSetting::chooseFile() {
    RegisterFileDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.chosenFile();
}

void TfrmSetting::SpeedButton3Click() {
    const QString path = m_fileChooser ? m_fileChooser() : QString();
    if (!path.isEmpty()) addFile(RegisteredFormOf(path));
}

void TfrmSetting::SpeedButton4Click() {
    const QModelIndexList selected = lstFiles->selectionModel()->selectedRows();
    if (selected.isEmpty()) return;
    const int row = selected.first().row();
    delete lstFiles->takeItem(row);
    const int count = lstFiles->count();
    if (count == 0) return;
    lstFiles->setCurrentRow(row < count ? row : count - 1, QItemSelectionModel::ClearAndSelect);
}

void TfrmSetting::FilesDropped(const QStringList& paths) {
    if (!paths.isEmpty()) addFile(RegisteredFormOf(paths.first()));
}

// ---- closing ----

void TfrmSetting::SpeedButton1Click() {
    SetCaptionIncludingTitleMark(CheckBox2->isChecked());
    SetIgnoreHeadSpaces(CheckBox1->isChecked());
    SetNextPageMenuIsHead(CheckBox3->isChecked());
    accept();
}

void TfrmSetting::SpeedButton2Click() { reject(); }

void TfrmSetting::showEvent(QShowEvent* e) {
    // Centred on the screen, not over the window that opened it. Once moved, QDialog no longer
    // places it over its parent.
    if (!m_placed) {
        m_placed = true;
        const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            QRect outer = frameGeometry();
            outer.moveCenter(screen->geometry().center());
            move(outer.topLeft());
        }
    }
    QDialog::showEvent(e);
}

void TfrmSetting::keyPressEvent(QKeyEvent* e) {
    if (!SwallowDialogCloseKey(e)) QDialog::keyPressEvent(e);
}

// ---- events of the marker, and files dropped anywhere on the dialog ----

bool TfrmSetting::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Label1) {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
                Label1MouseDown(static_cast<QMouseEvent*>(e)->button());
                return true;
            case QEvent::MouseMove:
                Label1MouseMove(static_cast<QMouseEvent*>(e)->position().toPoint().x());
                return true;
            case QEvent::MouseButtonRelease:
                Label1MouseUp();
                return true;
            default:
                break;
        }
    } else if (watched == MemoKeyWords || watched == MemoKeyWords->viewport()) {
        // Files dropped on the title-mark editor are registered like anywhere else; dragged text
        // still goes into the editor.
        switch (e->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* de = static_cast<QDragMoveEvent*>(e);
                if (LocalFiles(de->mimeData()).isEmpty()) break;
                de->acceptProposedAction();
                return true;
            }
            case QEvent::Drop: {
                auto* de = static_cast<QDropEvent*>(e);
                const QStringList files = LocalFiles(de->mimeData());
                if (files.isEmpty()) break;
                de->acceptProposedAction();
                FilesDropped(files);
                return true;
            }
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void TfrmSetting::dragEnterEvent(QDragEnterEvent* e) {
    if (!LocalFiles(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void TfrmSetting::dragMoveEvent(QDragMoveEvent* e) {
    if (!LocalFiles(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void TfrmSetting::dropEvent(QDropEvent* e) {
    const QStringList files = LocalFiles(e->mimeData());
    if (files.isEmpty()) return;
    e->acceptProposedAction();
    FilesDropped(files);
}

}  // namespace oruvan
