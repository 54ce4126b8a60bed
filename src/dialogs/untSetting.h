#pragma once
// The settings dialog: the drop-down count on a draggable scale, the title marks, the three index
// options and the registered files with the start-up file checked. It only edits what it is handed;
// the main window applies the values after OK.
#include <QDialog>
#include <QStringList>
#include <functional>

#include "outline/TitleMarks.h"

class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QToolButton;

namespace oruvan {

class TfrmSetting : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSetting(QWidget* parent = nullptr);

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
    void SetProgramFile(const QString& path) { m_programFile = path; }
    QString RegisteredFormOf(const QString& path) const;

    // Asks for a file to register; returns "" when cancelled. Tests put a double here.
    std::function<QString()> m_fileChooser;

    QLabel* Label1 = nullptr;  // the marker
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;  // the number
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QFrame* Shape1 = nullptr;  // the scale
    QFrame* Bevel1 = nullptr;
    QFrame* Bevel2 = nullptr;
    QFrame* Bevel3 = nullptr;
    QPlainTextEdit* MemoKeyWords = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QToolButton* SpeedButton1 = nullptr;  // OK
    QToolButton* SpeedButton2 = nullptr;  // Cancel
    QToolButton* SpeedButton3 = nullptr;  // add
    QToolButton* SpeedButton4 = nullptr;  // remove
    QListWidget* lstFiles = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void createControls();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void lstFilesClickCheck(QListWidgetItem* item);
    void Label1MouseDown(Qt::MouseButton button);
    void Label1MouseMove(int x);
    void Label1MouseUp();
    void FilesDropped(const QStringList& paths);

    void addFile(const QString& registered);
    void showNumber(int value, int markerLeft);
    QString chooseFile();

    QString m_programFile;
    bool m_captionIncludingTitleMark = false;
    bool m_ignoreHeadSpaces = false;
    bool m_nextPageMenuIsHead = false;
    bool m_markerDragging = false;
    bool m_settingChecks = false;
    bool m_placed = false;
};

}  // namespace oruvan
