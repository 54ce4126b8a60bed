#include "app/WindowCommands.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QProcess>
#include <QUrl>

#include "dialogs/GoToLineDialog.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/SettingsDialog.h"
#include "view/TextView.h"
#include "widgets/ShownFont.h"

namespace oruvan {

namespace {
// untranslated: the glyphs a Japanese face is judged by, in any language
const QString kFontSample = QStringLiteral("AaBbYyZz 012 あいアイ亜宇");
}

WindowCommands::WindowCommands(QWidget* window, TextView* view, ProgramPaths paths)
    : QObject(window), m_window(window), m_view(view), m_paths(std::move(paths)) {}

void WindowCommands::chooseFont() {
    // A stored face this machine lacks is shown as the face that stands in for it.
    QFontDialog dialog(ShownFont(m_view->Font()), m_window);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    // Only face and size matter here: the effects (underline, strike-out) section is not offered. The
    // sample beside it took its height from it, and keeps that height.
    int effectsHeight = 0;
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        if (QWidget* group = box->parentWidget(); qobject_cast<QGroupBox*>(group)) {
            effectsHeight = group->sizeHint().height();
            group->hide();
        }
    // The documents mix Japanese and Latin; so does the sample.
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
        if (auto* sample = qobject_cast<QGroupBox*>(edit->parentWidget())) {
            sample->setMinimumHeight(effectsHeight);
            edit->setText(kFontSample);
        }
    if (dialog.exec() == QDialog::Accepted) m_view->SetFont(dialog.selectedFont());
}

QString WindowCommands::chooseColour(const QColor& initial, const QString& title) {
    QColor chosen;
    if (m_colourChooser) {
        chosen = m_colourChooser(initial);
    } else {
        QColorDialog dialog(initial, m_window);
        dialog.setWindowTitle(title);
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        if (dialog.exec() == QDialog::Accepted) chosen = dialog.selectedColor();
    }
    return chosen.isValid() ? chosen.name(QColor::HexRgb).toUpper() : QString();
}

QString WindowCommands::chooseBackColour() {
    return chooseColour(m_view->BackColor(), tr("背景色の設定"));
}

QString WindowCommands::chooseTextColour() {
    return chooseColour(m_view->TextColor(), tr("テキスト色の設定"));
}

void WindowCommands::showColours(const QString& back, const QString& text) {
    if (!back.isEmpty()) m_view->SetBackColor(QColor(back));
    if (!text.isEmpty()) m_view->SetTextColor(QColor(text));
    // Only a view whose colours nobody chose follows the theme: a chosen background keeps the text colour
    // it was chosen against.
    const bool neither = back.isEmpty() && text.isEmpty();
    m_view->FollowPalette(neither, neither);
}

void WindowCommands::setColourChooser(std::function<QColor(const QColor&)> chooser) {
    m_colourChooser = std::move(chooser);
}

// The dialog lives on the stack, so it is destroyed on every path, an error included.
std::optional<SettingsChoices> WindowCommands::editSettings(const SettingsChoices& now) {
    SettingsDialog dlg(m_window);
    dlg.SetProgramFile(m_paths.perUserSettings ? QString() : m_paths.programFile);
    dlg.SetRegisteredFiles(now.registeredFiles);
    dlg.SetTitleMarks(now.titleMarks);
    dlg.SetStartUpIndex(now.startUpIndex);
    dlg.SetDropDownCount(now.dropDownCount);
    dlg.SetNextPageMenuIsHead(now.nextPageMenuIsHead);
    dlg.SetIgnoreHeadSpaces(now.ignoreHeadSpaces);
    dlg.SetCaptionIncludingTitleMark(now.captionIncludingTitleMark);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return SettingsChoices{dlg.RegisteredFiles(),    dlg.TitleMarks(),        dlg.StartUpIndex(),
                           dlg.DropDownCount(),      dlg.NextPageMenuIsHead(), dlg.IgnoreHeadSpaces(),
                           dlg.CaptionIncludingTitleMark()};
}

void WindowCommands::showAbout() {
    AboutDialog dlg(m_window);
    dlg.SetProductLine(AboutDialog::ProductLine());
    dlg.SetNoticeText(AboutDialog::NoticeText());
    dlg.exec();
}

// The second instance opens readme.txt from the help text's folder: the program's own, or the data
// folder of an installed copy.
void WindowCommands::openHelp() {
    const QString folder =
        m_paths.helpFile.isEmpty() ? m_paths.programDir : QFileInfo(m_paths.helpFile).path();
    QProcess::startDetached(m_paths.programFile, {QStringLiteral("readme.txt")}, folder);
}

void WindowCommands::openDocumentFolder(const QString& real) {
    const QString folder = real.isEmpty() ? m_paths.programDir : QFileInfo(real).absolutePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

bool WindowCommands::goToLine() {
    GoToLineDialog dialog(m_view->LineCount(), m_view->CaretLine() + 1, m_window);
    if (dialog.exec() != QDialog::Accepted) return false;
    m_view->GoToLine(dialog.Line() - 1);
    m_view->setFocus();
    return true;
}

}  // namespace oruvan
