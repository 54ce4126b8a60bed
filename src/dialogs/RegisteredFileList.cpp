#include "dialogs/RegisteredFileList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProxyStyle>
#include <QStyledItemDelegate>
#include <algorithm>

#include "settings/SettingDialogMath.h"
#include "widgets/MessageBoxes.h"
#include "widgets/TextFileDialog.h"

namespace oruvan {

namespace {

constexpr int kFileRowHeight = 12;

// The rows are 12 pixels high, whatever the font, and their check boxes are drawn to fit them.
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
    Q_DECLARE_TR_FUNCTIONS(oruvan::RegisterFileDialog)

public:
    explicit RegisterFileDialog(QWidget* parent)
        : TextFileDialog(parent, tr("ファイルを登録"), AcceptOpen) {}

    void accept() override {
        const QString chosen = selectedFiles().value(0);
        if (!chosen.isEmpty()) {
            const QFileInfo info(chosen);
            if (!info.isDir() && !QFileInfo(info.absolutePath()).isDir()) {
                ShowMessage(this, tr("%1\nフォルダが見つかりません。").arg(info.absolutePath()));
                return;
            }
        }
        TextFileDialog::accept();
    }
};

}  // namespace

RegisteredFileList::RegisteredFileList(QWidget* parent)
    : QListWidget(parent), m_programFile(QCoreApplication::applicationFilePath()) {
    m_fileChooser = [this] { return chooseFile(); };
    setObjectName(QStringLiteral("registeredFiles"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    auto* style = new FileListStyle;
    style->setParent(this);
    setStyle(style);
    setItemDelegate(new FileRowDelegate(this));
    setToolTip(tr("登録済みファイル／チェック付きファイルは、起動時に読み込む"));
    connect(this, &QListWidget::itemChanged, this, &RegisteredFileList::keepOneCheck);
}

QStringList RegisteredFileList::Files() const {
    QStringList files;
    for (int i = 0; i < count(); ++i) files.append(item(i)->text());
    return files;
}

void RegisteredFileList::SetFiles(const QStringList& files) {
    clear();
    for (const QString& f : files) appendRow(f);
}

int RegisteredFileList::StartUpIndex() const {
    for (int i = 0; i < count(); ++i)
        if (item(i)->checkState() == Qt::Checked) return i;
    return -1;
}

void RegisteredFileList::SetStartUpIndex(int index) {
    m_settingChecks = true;
    for (int i = 0; i < count(); ++i) item(i)->setCheckState(i == index ? Qt::Checked : Qt::Unchecked);
    m_settingChecks = false;
}

QString RegisteredFileList::RegisteredFormOf(const QString& path) const {
    const std::string program = QFile::encodeName(QDir::cleanPath(m_programFile)).toStdString();
    const std::string file = QFile::encodeName(QDir::cleanPath(path)).toStdString();
    return QFile::decodeName(QByteArray::fromStdString(RegisteredForm(program, file, PathStyle::Posix)));
}

void RegisteredFileList::appendRow(const QString& registered) {
    auto* row = new QListWidgetItem(registered);
    row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    row->setCheckState(Qt::Unchecked);
    m_settingChecks = true;
    addItem(row);
    m_settingChecks = false;
}

void RegisteredFileList::keepOneCheck(QListWidgetItem* changed) {
    if (m_settingChecks || !changed) return;
    // The view eats a click in a check box; the file clicked is the file meant, so select it.
    setCurrentItem(changed, QItemSelectionModel::ClearAndSelect);
    // Only a newly checked file can break the one-check rule; unchecking leaves none checked.
    if (changed->checkState() != Qt::Checked) return;
    m_settingChecks = true;
    for (int i = 0; i < count(); ++i) {
        QListWidgetItem* other = item(i);
        if (other != changed && other->checkState() != Qt::Unchecked) other->setCheckState(Qt::Unchecked);
    }
    m_settingChecks = false;
}

QString RegisteredFileList::chooseFile() {
    // Over the dialog that holds the list, like its other windows.
    RegisterFileDialog dialog(window());
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.chosenFile();
}

void RegisteredFileList::addChosenFile() {
    const QString path = m_fileChooser ? m_fileChooser() : QString();
    if (!path.isEmpty()) appendRow(RegisteredFormOf(path));
}

void RegisteredFileList::addDroppedFiles(const QStringList& paths) {
    if (!paths.isEmpty()) appendRow(RegisteredFormOf(paths.first()));
}

void RegisteredFileList::removeSelected() {
    const QModelIndexList selected = selectionModel()->selectedRows();
    if (selected.isEmpty()) return;
    const int row = selected.first().row();
    delete takeItem(row);
    const int left = count();
    if (left == 0) return;
    setCurrentRow(row < left ? row : left - 1, QItemSelectionModel::ClearAndSelect);
}

}  // namespace oruvan
