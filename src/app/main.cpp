#include <QApplication>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <cstdlib>

#include "app/AppSetup.h"
#include "app/untMain.h"
#include "platform/RecoveryStore.h"
#include "settings/ProgramLayout.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    oruvan::SetupApplication(app);

    const QString program = QCoreApplication::applicationFilePath();
    oruvan::TfrmMain::Paths paths;
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

    oruvan::TfrmMain frmMain(paths);
    frmMain.show();
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    frmMain.Startup(arguments.mid(0, 1));
    return QApplication::exec();
}
