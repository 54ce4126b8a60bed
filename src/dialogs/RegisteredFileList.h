#pragma once
// The registered files of the settings dialog, one a row, the start-up file the one checked: checking a
// file unchecks the others. Files are added relative to the program's folder, by a chooser or dropped;
// removing one selects its neighbour.
#include <QListWidget>
#include <QStringList>
#include <functional>

namespace oruvan {

class RegisteredFileList : public QListWidget {
    Q_OBJECT
public:
    explicit RegisteredFileList(QWidget* parent = nullptr);

    // Each write goes straight into the rows; each read comes straight from them.
    QStringList Files() const;
    void SetFiles(const QStringList& files);  // all unchecked
    int StartUpIndex() const;                 // the first checked file, -1 for none
    void SetStartUpIndex(int index);

    // Added files are registered relative to this file's folder (the running program by default).
    void SetProgramFile(const QString& path) { m_programFile = path; }
    QString RegisteredFormOf(const QString& path) const;

    // Asks for a file to register; returns "" when cancelled. Tests put a double here.
    std::function<QString()> m_fileChooser;

    // Registers the file the chooser gives, unchecked at the end.
    void addChosenFile();
    // Of several files dropped at once, the first is registered.
    void addDroppedFiles(const QStringList& paths);
    // Removes the selected file and selects the one that took its place, else the new last one.
    void removeSelected();

private:
    void appendRow(const QString& registered);
    void keepOneCheck(QListWidgetItem* item);
    QString chooseFile();

    QString m_programFile;
    bool m_settingChecks = false;
};

}  // namespace oruvan
