#pragma once
// Shared by the window tests: a main window living in a private temporary folder, a recording double
// for the message boxes, cp932 file helpers, and answers to modal dialogs.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "document/DocumentController.h"
#include "document/DocumentGuard.h"
#include "index/HeadingFilterField.h"
#include "index/HeadingList.h"
#include "index/IndexController.h"
#include "index/IndexMenu.h"
#include "version/Version.h"
#include "widgets/MessageBoxes.h"

namespace oruvan::test {

// The application setup every GUI test needs (translations, fonts, resources); call from initTestCase.
void SetupTestApplication();

// Records every message box and answers confirmations from a queue (Cancel when it runs dry).
class MessageBoxRecorder {
public:
    struct Shown {
        MessageKind kind;
        QString caption;
        QString text;
    };
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    void answer(Answer a) { m_answers.push_back(a); }
    const std::vector<Shown>& shown() const { return m_shown; }
    // The texts of the boxes shown, in order.
    QStringList texts() const;
    void clear() { m_shown.clear(); }

private:
    std::vector<Shown> m_shown;
    std::vector<Answer> m_answers;
    MessageBoxHandler m_previous;
};

// A folder standing in for the program's folder: settings file "oruvan.ini", program "oruvan".
class Sandbox {
public:
    Sandbox();
    QString dir() const { return m_dir.path(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    ProgramPaths paths() const;
    // Writes raw bytes (cp932 text) to a file in the folder and returns its path.
    QString writeFile(const QString& name, const std::string& bytes) const;
    std::string readFile(const QString& name) const;
    // A main window on this folder, shown and ready for input.
    std::unique_ptr<MainWindow> makeWindow(bool show = true) const;

private:
    QTemporaryDir m_dir;
};

// Changes the window's index options as the settings dialog does: all at once, one rebuild.
void ChangeIndexOptions(MainWindow& w, const std::function<void(IndexOptions&)>& change);

// cp932 bytes of a UTF-8 literal, for writing test documents.
std::string Sjis(const char* utf8);

// Random bytes of every value but CR and LF, so the text has exactly one line break form: the saved
// text then must equal the file byte for byte.
std::string BinaryBytes(std::size_t n, unsigned seed);

// Runs `answer` on the next modal dialog once it is active (for dialogs the code under test runs with
// exec()). The answer must close the dialog; it may record what it saw for the test to check after.
void AnswerNextDialog(std::function<void(QDialog*)> answer);

// Types a name into the focused name box of a dialog and presses Enter, as a user would (rejects the
// dialog when its focus is elsewhere).
void TypeAndEnter(QDialog* dialog, const QString& name);

}  // namespace oruvan::test
