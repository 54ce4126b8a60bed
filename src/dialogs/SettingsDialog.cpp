#include "dialogs/SettingsDialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QDropEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QToolButton>
#include <QUrl>

#include "dialogs/DialogKeys.h"
#include "dialogs/DropDownCountScale.h"
#include "dialogs/RegisteredFileList.h"
#include "widgets/Cp932Text.h"
#include "widgets/Pictures.h"

namespace oruvan {

namespace {

QStringList LocalFiles(const QMimeData* mime) {
    QStringList files;
    if (!mime || !mime->hasUrls()) return files;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) files.append(url.toLocalFile());
    return files;
}

QFont FontOf(const char* family) {
    QFont f(QString::fromUtf8(family));
    f.setPixelSize(12);
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

// Widens a control whose text is longer than its place, as a translated text may be, up to right; a
// text that fits keeps the control's own size.
void GrowToText(QWidget* control, int right) {
    const int wanted = std::min(control->sizeHint().width(), right - control->x());
    if (wanted > control->width()) control->resize(wanted, control->height());
}

}  // namespace

SettingsDialog::SettingsDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    InitResources();
    setObjectName(QStringLiteral("settingsDialog"));
    setWindowTitle(tr("設定"));
    setFont(FontOf("ＭＳ Ｐゴシック"));
    setFixedSize(412, 421);
    setAcceptDrops(true);
    createControls();
}

void SettingsDialog::createControls() {
    countCaption =
        MakeLabel(this, "countCaption", tr("ドロップダウンリストに同時に表示する目次数"), 4, 12);
    dropDownCount = new DropDownCountScale(this);
    dropDownCount->setObjectName(QStringLiteral("dropDownCount"));
    dropDownCount->setGeometry(0, 28, 412, 44);

    separators[0] = MakeSeparator(this, 4, 72, 401);
    marksCaption = MakeLabel(this, "marksCaption", tr("タイトルとして認識される文字"), 8, 84);

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

    captionIncludesMarkBox = new QCheckBox(tr("タイトルに認識文字を含ませる(&T)"), this);
    captionIncludesMarkBox->setObjectName(QStringLiteral("captionIncludesMarkBox"));
    captionIncludesMarkBox->setGeometry(8, 124, 189, 21);
    ignoreHeadSpacesBox = new QCheckBox(tr("行頭のスペースを無視する(&S)"), this);
    ignoreHeadSpacesBox->setObjectName(QStringLiteral("ignoreHeadSpacesBox"));
    ignoreHeadSpacesBox->setGeometry(8, 152, 173, 17);
    nextPageOnTopBox =
        new QCheckBox(tr("インデックスメニューの「次へ」を一番上に表示する"), this);
    nextPageOnTopBox->setObjectName(QStringLiteral("nextPageOnTopBox"));
    nextPageOnTopBox->setGeometry(8, 176, 277, 17);

    separators[1] = MakeSeparator(this, 4, 208, 401);
    filesCaption = MakeLabel(this, "filesCaption", tr("登録するファイル"), 4, 220);
    addFileButton = MakeButton(this, "addFileButton", tr("追加"), ":/images/button_add.xpm",
                               QRect(100, 220, 61, 25));
    addFileButton->setToolTip(tr("ファイルを新規登録する"));
    removeFileButton = MakeButton(this, "removeFileButton", tr("削除"),
                                  ":/images/button_remove.xpm", QRect(164, 220, 61, 25));
    removeFileButton->setToolTip(tr("選択ファイルをリストから削除する"));
    // Up to the title marks' field, and the dialog's right edge.
    for (QWidget* box : {captionIncludesMarkBox, ignoreHeadSpacesBox, nextPageOnTopBox}) GrowToText(box, 296);
    GrowToText(removeFileButton, 405);

    registeredFiles = new RegisteredFileList(this);
    registeredFiles->setGeometry(8, 248, 397, 81);
    registeredFiles->setFont(FontOf("ＭＳ ゴシック"));

    startUpHint =
        MakeLabel(this, "startUpHint",
                  tr("チェックがついているファイルは、起動時に自動で読み込まれます"), 8, 336);
    dropHint =
        MakeLabel(this, "dropHint", tr("ファイルをドラッグして追加する事も出来ます"), 8, 352);
    separators[2] = MakeSeparator(this, 0, 376, 401);
    okButton =
        MakeButton(this, "okButton", QStringLiteral("OK"), ":/images/button_ok.xpm", QRect(224, 384, 73, 29));
    cancelButton = MakeButton(this, "cancelButton", tr("キャンセル"),
                              ":/images/button_cancel.xpm", QRect(304, 384, 97, 29));

    setTabOrder(registeredFiles, titleMarksEdit);
    setTabOrder(titleMarksEdit, ignoreHeadSpacesBox);
    setTabOrder(ignoreHeadSpacesBox, captionIncludesMarkBox);
    setTabOrder(captionIncludesMarkBox, nextPageOnTopBox);
    registeredFiles->setFocus();

    connect(okButton, &QToolButton::clicked, this, &SettingsDialog::accept);
    connect(cancelButton, &QToolButton::clicked, this, &SettingsDialog::reject);
    connect(addFileButton, &QToolButton::clicked, registeredFiles, &RegisteredFileList::addChosenFile);
    connect(removeFileButton, &QToolButton::clicked, registeredFiles, &RegisteredFileList::removeSelected);
}

// ---- values in and out ----

QStringList SettingsDialog::RegisteredFiles() const { return registeredFiles->Files(); }

void SettingsDialog::SetRegisteredFiles(const QStringList& files) { registeredFiles->SetFiles(files); }

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

int SettingsDialog::StartUpIndex() const { return registeredFiles->StartUpIndex(); }

void SettingsDialog::SetStartUpIndex(int index) { registeredFiles->SetStartUpIndex(index); }

int SettingsDialog::DropDownCount() const { return dropDownCount->Value(); }

void SettingsDialog::SetDropDownCount(int count) { dropDownCount->SetValue(count); }

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

void SettingsDialog::SetProgramFile(const QString& path) { registeredFiles->SetProgramFile(path); }

// ---- closing ----

void SettingsDialog::accept() {
    // OK is clicked without taking the focus; the focus leaving a field is what makes an input method
    // commit the text it is composing there, which would otherwise be lost.
    if (QWidget* field = focusWidget()) field->clearFocus();
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

// ---- files dropped anywhere on the dialog ----

bool SettingsDialog::eventFilter(QObject* watched, QEvent* e) {
    if (watched == titleMarksEdit || watched == titleMarksEdit->viewport()) {
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
                registeredFiles->addDroppedFiles(files);
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
    registeredFiles->addDroppedFiles(files);
}

}  // namespace oruvan
