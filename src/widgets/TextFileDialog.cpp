#include "widgets/TextFileDialog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>

namespace oruvan {

namespace {
const QString kSuffix = QStringLiteral("txt");
}

TextFileDialog::TextFileDialog(QWidget* parent, const QString& title, AcceptMode mode)
    : QFileDialog(parent, title) {
    setOption(QFileDialog::DontUseNativeDialog);
    setNameFilters({QCoreApplication::translate("oruvan::TextFileDialog", "テキストファイル (*.txt)"),
                    QCoreApplication::translate("oruvan::TextFileDialog", "全てのファイル (*)")});
    setAcceptMode(mode);
    setFileMode(QFileDialog::AnyFile);
    setSizeGripEnabled(true);
    // An Open dialog decides on the extension itself, once it knows whether the name exists as typed.
    if (mode == AcceptSave) setDefaultSuffix(kSuffix);
}

void TextFileDialog::reopenOn(const QString& lastChoice) {
    if (!lastChoice.isEmpty()) selectFile(QFileInfo(lastChoice).absoluteFilePath());
}

QString TextFileDialog::chosenFile() const {
    const QString chosen = selectedFiles().value(0);
    if (chosen.isEmpty() || acceptMode() == AcceptSave) return chosen;
    return WithDefaultSuffix(chosen);
}

void TextFileDialog::showEvent(QShowEvent* e) {
    QFileDialog::showEvent(e);
    // The name offered again is selected, so typing replaces it.
    if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->selectAll();
}

QString WithDefaultSuffix(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() || !info.suffix().isEmpty()) return path;
    return path + QLatin1Char('.') + kSuffix;
}

}  // namespace oruvan
