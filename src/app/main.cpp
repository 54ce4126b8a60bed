#include <QApplication>
#include <QFile>
#include <QDir>
#include <QFileInfo>
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

    oruvan::MainWindow frmMain(paths);
    frmMain.show();
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    frmMain.Startup(arguments.mid(0, 1));
    return QApplication::exec();
}
