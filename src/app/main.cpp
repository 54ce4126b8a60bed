#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/ApplicationSetup.h"
#include "app/MainWindow.h"
#include "platform/RecoveryStore.h"
#include "platform/RecentFiles.h"
#include "settings/ProgramLayout.h"
#include "version/Version.h"

namespace {

oruvan::ProgramLayout Layout() {
    return oruvan::LayoutFor(
        oruvan::CurrentLayoutFacts(QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString()));
}

QString TranslationsFolder(const oruvan::ProgramLayout& layout) {
    return QFile::decodeName(QByteArray::fromStdString(layout.translationsFolder));
}

// The files to open; answers --help and --version (and a wrong option) itself and ends the process.
QStringList FileArguments(const QCoreApplication& app) {
    QCommandLineParser options;
    options.setApplicationDescription(QCoreApplication::translate(
        "oruvan::CommandLine", "見出しの一覧付きでテキストファイルを表示・編集します。ファイルごとにウィンドウを開きます。"));
    // Our own help and version options: Qt's describe themselves in English only.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QCoreApplication::translate("oruvan::CommandLine", "このヘルプを表示します。"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QCoreApplication::translate("oruvan::CommandLine", "バージョン情報を表示します。"));
    options.addOptions({help, version});
    options.addPositionalArgument(QCoreApplication::translate("oruvan::CommandLine", "ファイル"),
                                  QCoreApplication::translate("oruvan::CommandLine", "開くファイル"),
                                  QCoreApplication::translate("oruvan::CommandLine", "[ファイル...]"));
    options.process(app);
    if (options.isSet(help)) options.showHelp(0);
    if (options.isSet(version)) options.showVersion();
    return options.positionalArguments();
}

// Whether the command line only asks for text: then it is answered without a display.
bool AsksForTextOnly(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") return false;
        if (arg == "-h" || arg == "--help" || arg == "-v" || arg == "--version") return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const oruvan::UiLanguage language = oruvan::LanguageFor(oruvan::CurrentLocaleEnvironment());
    if (AsksForTextOnly(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QString::fromLatin1(oruvan::version::kProgramName));
        QCoreApplication::setApplicationVersion(QString::fromLatin1(oruvan::version::kNumber));
        oruvan::InstallTranslations(&app, language, TranslationsFolder(Layout()));
        FileArguments(app);
        return 0;
    }
    QApplication app(argc, argv);
    const oruvan::ProgramLayout layout = Layout();
    const QString translationProblem = oruvan::SetupApplication(app, language, TranslationsFolder(layout));
    if (!translationProblem.isEmpty()) std::fprintf(stderr, "oruvan: %s\n", qPrintable(translationProblem));
    const QStringList arguments = FileArguments(app);

    const QString program = QCoreApplication::applicationFilePath();
    oruvan::ProgramPaths paths;
    paths.programFile = program;
    paths.programDir = QFileInfo(program).absolutePath();
    paths.settingsFile = QFile::decodeName(QByteArray::fromStdString(layout.settingsFile));
    paths.helpFile = QFile::decodeName(QByteArray::fromStdString(layout.helpFile));
    paths.perUserSettings = layout.perUserSettings;
    const char* state = std::getenv("XDG_STATE_HOME");
    paths.recoveryDir = QFile::decodeName(QByteArray::fromStdString(oruvan::DefaultRecoveryFolder(
        state ? state : "", QDir::homePath().toStdString())));

    const char* data = std::getenv("XDG_DATA_HOME");
    paths.recentFilesList = QFile::decodeName(
        QByteArray::fromStdString(oruvan::RecentlyUsedFile(data ? data : "", QDir::homePath().toStdString())));

    // One window a file (the menu entry hands several files at once), or one window without files. A
    // window is deleted when it closes, so that its document's memory goes with it.
    QPointer<oruvan::MainWindow> first;
    for (int i = 0; i < std::max<int>(1, static_cast<int>(arguments.size())); ++i) {
        auto* window = new oruvan::MainWindow(paths);
        window->setAttribute(Qt::WA_DeleteOnClose);
        if (first) window->move(first->pos() + QPoint(24, 24) * i);  // each one in sight
        window->show();
        window->Startup(arguments.mid(i, 1));
        if (!first) {
            first = window;
            if (!translationProblem.isEmpty()) window->SetStatusText(translationProblem);
        }
    }
    return QApplication::exec();
}
