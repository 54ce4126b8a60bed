#pragma once
// The settings dialog: the drop-down count on a draggable scale, the title marks, the three index
// options and the registered files with the start-up file checked. It lays out its parts and only edits
// what it is handed; the main window applies the values after OK.
#include <QDialog>
#include <QStringList>

#include "outline/TitleMarks.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace oruvan {

class DropDownCountScale;
class RegisteredFileList;

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget* parent = nullptr);

    // Each write goes straight into the controls; each read comes straight from them.
    QStringList RegisteredFiles() const;
    void SetRegisteredFiles(const QStringList& files);  // all unchecked
    TitleMarkList TitleMarks() const;                   // cp932, one per line of the editor
    void SetTitleMarks(const TitleMarkList& marks);
    int StartUpIndex() const;  // the first checked file, -1 for none
    void SetStartUpIndex(int index);
    int DropDownCount() const;
    void SetDropDownCount(int count);
    bool CaptionIncludingTitleMark() const { return m_captionIncludingTitleMark; }
    void SetCaptionIncludingTitleMark(bool on);
    bool IgnoreHeadSpaces() const { return m_ignoreHeadSpaces; }
    void SetIgnoreHeadSpaces(bool on);
    bool NextPageMenuIsHead() const { return m_nextPageMenuIsHead; }
    void SetNextPageMenuIsHead(bool on);

    // Added files are registered relative to this file's folder (the running program by default).
    void SetProgramFile(const QString& path);

    // OK: the three boxes become the values read back, then the dialog closes as accepted.
    void accept() override;

    QLabel* countCaption = nullptr;
    DropDownCountScale* dropDownCount = nullptr;  // the number on its scale
    QLabel* marksCaption = nullptr;
    QPlainTextEdit* titleMarksEdit = nullptr;
    QCheckBox* captionIncludesMarkBox = nullptr;
    QCheckBox* ignoreHeadSpacesBox = nullptr;
    QCheckBox* nextPageOnTopBox = nullptr;
    QLabel* filesCaption = nullptr;
    QToolButton* addFileButton = nullptr;
    QToolButton* removeFileButton = nullptr;
    RegisteredFileList* registeredFiles = nullptr;  // the start-up file is the checked one
    QLabel* startUpHint = nullptr;
    QLabel* dropHint = nullptr;
    QFrame* separators[3] = {};  // top to bottom
    QToolButton* okButton = nullptr;
    QToolButton* cancelButton = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void createControls();

    bool m_captionIncludingTitleMark = false;
    bool m_ignoreHeadSpaces = false;
    bool m_nextPageMenuIsHead = false;
    bool m_placed = false;
};

}  // namespace oruvan
