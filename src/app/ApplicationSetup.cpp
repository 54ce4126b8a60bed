#include "app/ApplicationSetup.h"

#include "widgets/Pictures.h"
#include "widgets/ShownFont.h"
#include "version/Version.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QProxyStyle>
#include <QTranslator>

namespace oruvan {

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

void SetupApplication(QApplication& app) {
    InitResources();
    QApplication::setApplicationName(QString::fromLatin1(version::kProgramName));
    QApplication::setApplicationVersion(QString::fromLatin1(version::kNumber));
    // The installed theme icon (sharp at every size) where there is one, else the built-in picture;
    // the desktop file's name lets the task bar match the window to its menu entry.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(version::kAppId));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QString::fromLatin1(version::kAppId), QIcon(QStringLiteral(":/images/oruvan.xpm"))));

    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* name : {"qtbase_ja", "qscintilla_ja"}) {
        auto* t = new QTranslator(&app);
        if (t->load(QString::fromLatin1(name), translations))
            QApplication::installTranslator(t);
        else
            delete t;
    }
    // The stored face names stay the Windows ones; an installed Japanese face draws them.
    InstallStandInFaces();
    QApplication::setStyle(new HintDelayStyle);
}

}  // namespace oruvan
