#pragma once
// The commands of the window itself rather than of its document or index: font and colours of the
// text, the settings dialog, About, help, the document's folder, going to a line.
#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "outline/TitleMarks.h"
#include "app/ProgramPaths.h"

class QWidget;

namespace oruvan {

class TextView;

// What the settings dialog shows and changes.
struct SettingsChoices {
    QStringList registeredFiles;
    TitleMarkList titleMarks;
    int startUpIndex = -1;
    int dropDownCount = 16;
    bool nextPageMenuIsHead = false;
    bool ignoreHeadSpaces = false;
    bool captionIncludingTitleMark = false;
};

class WindowCommands : public QObject {
    Q_OBJECT
public:
    WindowCommands(QWidget* window, TextView* view, ProgramPaths paths);

    void chooseFont();
    // The colour the user chose as "#RRGGBB", or "" for Cancel.
    QString chooseBackColour();
    QString chooseTextColour();
    // Shows the colours as held ("" leaves the view's own).
    void showColours(const QString& back, const QString& text);
    // Stands in for the colour dialog (tests): the chosen colour, or an invalid one for Cancel.
    void setColourChooser(std::function<QColor(const QColor& initial)> chooser);

    // The dialog's answer, or none when the user cancelled.
    std::optional<SettingsChoices> editSettings(const SettingsChoices& now);
    void showAbout();
    void openHelp();
    // The folder of the document at real (a resolved path), or the program's with no document.
    void openDocumentFolder(const QString& real);
    // True when the user chose a line and the caret went there.
    bool goToLine();

private:
    QString chooseColour(const QColor& initial, const QString& title);

    QWidget* m_window;
    TextView* m_view;
    ProgramPaths m_paths;
    std::function<QColor(const QColor&)> m_colourChooser;
};

}  // namespace oruvan
