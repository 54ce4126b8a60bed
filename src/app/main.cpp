#include <QApplication>
#include <QFileInfo>

#include "app/AppSetup.h"
#include "app/untMain.h"
#include "settings/SettingsRecord.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    oruvan::SetupApplication(app);

    const QString program = QCoreApplication::applicationFilePath();
    oruvan::TfrmMain::Paths paths;
    paths.programFile = program;
    paths.programDir = QFileInfo(program).absolutePath();
    paths.settingsFile = QString::fromStdString(oruvan::SettingsFileNameFor(program.toStdString()));

    oruvan::TfrmMain frmMain(paths);
    frmMain.show();
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    frmMain.Startup(arguments.mid(0, 1));
    return QApplication::exec();
}
