#include "dialogs/SettingsDialog.h"

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

#include "dialogs/DialogKeys.h"
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

QFrame* MakeSeparator(QWidget* parent, int left, int top, int width) {
    auto* line = new QFrame(parent);
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

SettingsDialog::SettingsDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_programFile(QCoreApplication::applicationFilePath()) {
    InitResources();
    setObjectName(QStringLiteral("settingsDialog"));
    setWindowTitle(QStringLiteral("設定"));
    setFont(FontOf("ＭＳ Ｐゴシック"));
    setFixedSize(412, 421);
    setAcceptDrops(true);
    m_fileChooser = [this] { return chooseFile(); };
    createControls();

    // The editors' design texts are not settings.
    registeredFiles->clear();
    titleMarksEdit->clear();
}

void SettingsDialog::createControls() {
    countCaption =
        MakeLabel(this, "countCaption", QStringLiteral("ドロップダウンリストに同時に表示する目次数"), 4, 12);
    countValue = MakeLabel(this, "countValue", QStringLiteral("16"), 172, kNumberTop);
    countValue->setFont(FontOf("ＭＳ Ｐゴシック", true));
    countValue->adjustSize();

    countScale = new QFrame(this);
    countScale->setObjectName(QStringLiteral("countScale"));
    countScale->setFrameShape(QFrame::HLine);
    countScale->setFrameShadow(QFrame::Plain);
    countScale->setLineWidth(1);
    countScale->setGeometry(168, kMarkerTop, 237, 1);

    countMarker = new QLabel(QStringLiteral("△"), this);
    countMarker->setObjectName(QStringLiteral("countMarker"));
    countMarker->setGeometry(176, kMarkerTop, 12, 12);
    countMarker->setAlignment(Qt::AlignCenter);
    countMarker->setCursor(Qt::PointingHandCursor);
    countMarker->setToolTip(QStringLiteral("左右にドラッグして数値変更"));
    countMarker->installEventFilter(this);

    separators[0] = MakeSeparator(this, 4, 72, 401);
    marksCaption = MakeLabel(this, "marksCaption", QStringLiteral("タイトルとして認識される文字"), 8, 84);

    titleMarksEdit = new QPlainTextEdit(this);
    titleMarksEdit->setObjectName(QStringLiteral("titleMarksEdit"));
    titleMarksEdit->setGeometry(300, 84, 105, 113);
    titleMarksEdit->setFont(FontOf("ＭＳ ゴシック"));
    titleMarksEdit->setFrameStyle(QFrame::Box | QFrame::Plain);
    titleMarksEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    titleMarksEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    titleMarksEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    titleMarksEdit->setTabChangesFocus(true);
    titleMarksEdit->installEventFilter(this);
    titleMarksEdit->viewport()->installEventFilter(this);

    captionIncludesMarkBox = new QCheckBox(QStringLiteral("タイトルに認識文字を含ませる(&T)"), this);
    captionIncludesMarkBox->setObjectName(QStringLiteral("captionIncludesMarkBox"));
    captionIncludesMarkBox->setGeometry(8, 124, 189, 21);
    ignoreHeadSpacesBox = new QCheckBox(QStringLiteral("行頭のスペースを無視する(&S)"), this);
    ignoreHeadSpacesBox->setObjectName(QStringLiteral("ignoreHeadSpacesBox"));
    ignoreHeadSpacesBox->setGeometry(8, 152, 173, 17);
    nextPageOnTopBox =
        new QCheckBox(QStringLiteral("インデックスメニューの「次へ」を一番上に表示する"), this);
    nextPageOnTopBox->setObjectName(QStringLiteral("nextPageOnTopBox"));
    nextPageOnTopBox->setGeometry(8, 176, 277, 17);

    separators[1] = MakeSeparator(this, 4, 208, 401);
    filesCaption = MakeLabel(this, "filesCaption", QStringLiteral("登録するファイル"), 4, 220);
    addFileButton = MakeButton(this, "addFileButton", QStringLiteral("追加"), ":/images/button_add.xpm",
                               QRect(100, 220, 61, 25));
    addFileButton->setToolTip(QStringLiteral("ファイルを新規登録する"));
    removeFileButton = MakeButton(this, "removeFileButton", QStringLiteral("削除"),
                                  ":/images/button_remove.xpm", QRect(164, 220, 61, 25));
    removeFileButton->setToolTip(QStringLiteral("選択ファイルをリストから削除する"));

    registeredFiles = new QListWidget(this);
    registeredFiles->setObjectName(QStringLiteral("registeredFiles"));
    registeredFiles->setGeometry(8, 248, 397, 81);
    registeredFiles->setFont(FontOf("ＭＳ ゴシック"));
    registeredFiles->setFrameStyle(QFrame::Box | QFrame::Plain);
    registeredFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    registeredFiles->setUniformItemSizes(true);
    auto* fileListStyle = new FileListStyle;
    fileListStyle->setParent(registeredFiles);
    registeredFiles->setStyle(fileListStyle);
    registeredFiles->setItemDelegate(new FileRowDelegate(registeredFiles));
    registeredFiles->setToolTip(QStringLiteral("登録済みファイル／チェック付きファイルは、起動時に読み込む"));

    startUpHint =
        MakeLabel(this, "startUpHint",
                  QStringLiteral("チェックがついているファイルは、起動時に自動で読み込まれます"), 8, 336);
    dropHint =
        MakeLabel(this, "dropHint", QStringLiteral("ファイルをドラッグして追加する事も出来ます"), 8, 352);
    separators[2] = MakeSeparator(this, 0, 376, 401);
    okButton =
        MakeButton(this, "okButton", QStringLiteral("OK"), ":/images/button_ok.xpm", QRect(224, 384, 73, 29));
    cancelButton = MakeButton(this, "cancelButton", QStringLiteral("キャンセル"),
                              ":/images/button_cancel.xpm", QRect(304, 384, 97, 29));

    setTabOrder(registeredFiles, titleMarksEdit);
    setTabOrder(titleMarksEdit, ignoreHeadSpacesBox);
    setTabOrder(ignoreHeadSpacesBox, captionIncludesMarkBox);
    setTabOrder(captionIncludesMarkBox, nextPageOnTopBox);
    registeredFiles->setFocus();

    connect(okButton, &QToolButton::clicked, this, &SettingsDialog::accept);
    connect(cancelButton, &QToolButton::clicked, this, &SettingsDialog::reject);
    connect(addFileButton, &QToolButton::clicked, this, &SettingsDialog::addFile);
    connect(removeFileButton, &QToolButton::clicked, this, &SettingsDialog::removeFile);
    connect(registeredFiles, &QListWidget::itemChanged, this, &SettingsDialog::keepOneCheck);
}

// ---- properties ----

QStringList SettingsDialog::RegisteredFiles() const {
    QStringList files;
    for (int i = 0; i < registeredFiles->count(); ++i) files.append(registeredFiles->item(i)->text());
    return files;
}

void SettingsDialog::SetRegisteredFiles(const QStringList& files) {
    registeredFiles->clear();
    for (const QString& f : files) appendRow(f);
}

TitleMarkList SettingsDialog::TitleMarks() const {
    TitleMarkList marks;
    const QString text = titleMarksEdit->toPlainText();
    if (text.isEmpty()) return marks;
    QStringList lines = text.split(QLatin1Char('\n'));
    // A break at the very end closes the last line rather than opening an empty one.
    if (lines.last().isEmpty()) lines.removeLast();
    for (const QString& line : lines) marks.push_back(ToCp932(line));
    return marks;
}

void SettingsDialog::SetTitleMarks(const TitleMarkList& marks) {
    QString text;
    for (const std::string& mark : marks) text += FromCp932(mark) + QLatin1Char('\n');
    titleMarksEdit->setPlainText(text);
}

int SettingsDialog::StartUpIndex() const {
    for (int i = 0; i < registeredFiles->count(); ++i)
        if (registeredFiles->item(i)->checkState() == Qt::Checked) return i;
    return -1;
}

void SettingsDialog::SetStartUpIndex(int index) {
    m_settingChecks = true;
    for (int i = 0; i < registeredFiles->count(); ++i)
        registeredFiles->item(i)->setCheckState(i == index ? Qt::Checked : Qt::Unchecked);
    m_settingChecks = false;
}

int SettingsDialog::DropDownCount() const { return countValue->text().toInt(); }

void SettingsDialog::SetDropDownCount(int count) {
    showNumber(count, MarkerLeftFor(count, countScale->x(), countScale->width(), countMarker->width()));
}

void SettingsDialog::SetCaptionIncludingTitleMark(bool on) {
    m_captionIncludingTitleMark = on;
    captionIncludesMarkBox->setChecked(on);
}

void SettingsDialog::SetIgnoreHeadSpaces(bool on) {
    m_ignoreHeadSpaces = on;
    ignoreHeadSpacesBox->setChecked(on);
}

void SettingsDialog::SetNextPageMenuIsHead(bool on) {
    m_nextPageMenuIsHead = on;
    nextPageOnTopBox->setChecked(on);
}

QString SettingsDialog::RegisteredFormOf(const QString& path) const {
    const std::string program = QFile::encodeName(QDir::cleanPath(m_programFile)).toStdString();
    const std::string file = QFile::encodeName(QDir::cleanPath(path)).toStdString();
    return QFile::decodeName(QByteArray::fromStdString(RegisteredForm(program, file, PathStyle::Posix)));
}

// ---- the marker ----

void SettingsDialog::showNumber(int value, int markerLeft) {
    // A wild count from the settings file puts the marker far out of sight, but never at coordinates
    // the window system cannot take.
    markerLeft = std::clamp(markerLeft, -kFarOut, kFarOut);
    countMarker->move(markerLeft, countMarker->y());
    countValue->setText(QString::number(value));
    countValue->adjustSize();
    countValue->move(CentreLabelLeft(markerLeft, countMarker->width(), countValue->width()), countValue->y());
}

void SettingsDialog::markerPressed(Qt::MouseButton button) { m_markerDragging = button == Qt::LeftButton; }

void SettingsDialog::markerReleased() { m_markerDragging = false; }

void SettingsDialog::markerMoved(int x) {
    if (!m_markerDragging) return;
    const int scaleLeft = countScale->x();
    const int scaleWidth = countScale->width();
    const int left = ClampMarkerLeft(countMarker->x() + x, scaleLeft, scaleWidth, countMarker->width());
    showNumber(ValueForMarkerLeft(left, scaleLeft, scaleWidth, countMarker->width()), left);
}

// ---- the file list ----

void SettingsDialog::appendRow(const QString& registered) {
    auto* item = new QListWidgetItem(registered);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    m_settingChecks = true;
    registeredFiles->addItem(item);
    m_settingChecks = false;
}

void SettingsDialog::keepOneCheck(QListWidgetItem* item) {
    if (m_settingChecks || !item) return;
    // The view eats a click in a check box; the file clicked is the file meant, so select it.
    registeredFiles->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    // Only a newly checked file can break the one-check rule; unchecking leaves none checked.
    if (item->checkState() != Qt::Checked) return;
    m_settingChecks = true;
    for (int i = 0; i < registeredFiles->count(); ++i) {
        QListWidgetItem* other = registeredFiles->item(i);
        if (other != item && other->checkState() != Qt::Unchecked) other->setCheckState(Qt::Unchecked);
    }
    m_settingChecks = false;
}

QString SettingsDialog::chooseFile() {
    RegisterFileDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.chosenFile();
}

void SettingsDialog::addFile() {
    const QString path = m_fileChooser ? m_fileChooser() : QString();
    if (!path.isEmpty()) appendRow(RegisteredFormOf(path));
}

void SettingsDialog::removeFile() {
    const QModelIndexList selected = registeredFiles->selectionModel()->selectedRows();
    if (selected.isEmpty()) return;
    const int row = selected.first().row();
    delete registeredFiles->takeItem(row);
    const int count = registeredFiles->count();
    if (count == 0) return;
    registeredFiles->setCurrentRow(row < count ? row : count - 1, QItemSelectionModel::ClearAndSelect);
}

void SettingsDialog::addDroppedFiles(const QStringList& paths) {
    if (!paths.isEmpty()) appendRow(RegisteredFormOf(paths.first()));
}

// ---- closing ----

void SettingsDialog::accept() {
    SetCaptionIncludingTitleMark(captionIncludesMarkBox->isChecked());
    SetIgnoreHeadSpaces(ignoreHeadSpacesBox->isChecked());
    SetNextPageMenuIsHead(nextPageOnTopBox->isChecked());
    QDialog::accept();
}

void SettingsDialog::showEvent(QShowEvent* e) {
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

void SettingsDialog::keyPressEvent(QKeyEvent* e) {
    if (!SwallowDialogCloseKey(e)) QDialog::keyPressEvent(e);
}

// ---- events of the marker, and files dropped anywhere on the dialog ----

bool SettingsDialog::eventFilter(QObject* watched, QEvent* e) {
    if (watched == countMarker) {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
                markerPressed(static_cast<QMouseEvent*>(e)->button());
                return true;
            case QEvent::MouseMove:
                markerMoved(static_cast<QMouseEvent*>(e)->position().toPoint().x());
                return true;
            case QEvent::MouseButtonRelease:
                markerReleased();
                return true;
            default:
                break;
        }
    } else if (watched == titleMarksEdit || watched == titleMarksEdit->viewport()) {
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
                addDroppedFiles(files);
                return true;
            }
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void SettingsDialog::dragEnterEvent(QDragEnterEvent* e) {
    if (!LocalFiles(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void SettingsDialog::dragMoveEvent(QDragMoveEvent* e) {
    if (!LocalFiles(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void SettingsDialog::dropEvent(QDropEvent* e) {
    const QStringList files = LocalFiles(e->mimeData());
    if (files.isEmpty()) return;
    e->acceptProposedAction();
    addDroppedFiles(files);
}

}  // namespace oruvan
