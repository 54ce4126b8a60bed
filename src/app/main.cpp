#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QTranslator>
#include <cstdio>

#include "app/untMain.h"
#include "settings/SettingsRecord.h"

namespace {
// Hints appear 100 ms after the pointer comes to rest, for the whole application.
class HintDelayStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return 100;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Oruvan"));
    QApplication::setApplicationVersion(QStringLiteral("1.5"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/oruvan.xpm")));

    // Qt's own dialogs, context menus and buttons speak Japanese.
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    QTranslator qtJa, qsciJa;
    if (qtJa.load(QStringLiteral("qtbase_ja"), translations)) QApplication::installTranslator(&qtJa);
    if (qsciJa.load(QStringLiteral("qscintilla_ja"), translations)) QApplication::installTranslator(&qsciJa);

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
    QApplication::setStyle(new HintDelayStyle);
    return QApplication::exec();
}
