#include <QApplication>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <algorithm>
#include <cstdlib>

#include "app/ApplicationSetup.h"
#include "app/MainWindow.h"
#include "platform/RecoveryStore.h"
#include "platform/RecentFiles.h"
#include "settings/ProgramLayout.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    oruvan::SetupApplication(app);

    const QString program = QCoreApplication::applicationFilePath();
    oruvan::ProgramPaths paths;
    paths.programFile = program;
    paths.programDir = QFileInfo(program).absolutePath();
    const oruvan::ProgramLayout layout =
        oruvan::LayoutFor(oruvan::CurrentLayoutFacts(QFile::encodeName(program).toStdString()));
    paths.settingsFile = QFile::decodeName(QByteArray::fromStdString(layout.settingsFile));
    paths.helpFile = QFile::decodeName(QByteArray::fromStdString(layout.helpFile));
    paths.perUserSettings = layout.perUserSettings;
    const char* state = std::getenv("XDG_STATE_HOME");
    paths.recoveryDir = QFile::decodeName(QByteArray::fromStdString(oruvan::DefaultRecoveryFolder(
        state ? state : "", QDir::homePath().toStdString())));

    const char* data = std::getenv("XDG_DATA_HOME");
    paths.recentFilesList = QFile::decodeName(
        QByteArray::fromStdString(oruvan::RecentlyUsedFile(data ? data : "", QDir::homePath().toStdString())));

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    // One window a file (the menu entry hands several files at once), or one window without files. A
    // window is deleted when it closes, so that its document's memory goes with it.
    QPointer<oruvan::MainWindow> first;
    for (int i = 0; i < std::max<int>(1, static_cast<int>(arguments.size())); ++i) {
        auto* window = new oruvan::MainWindow(paths);
        window->setAttribute(Qt::WA_DeleteOnClose);
        if (first) window->move(first->pos() + QPoint(24, 24) * i);  // each one in sight
        window->show();
        window->Startup(arguments.mid(i, 1));
        if (!first) first = window;
    }
    return QApplication::exec();
}
