#include "app/ApplicationSetup.h"

#include "widgets/Pictures.h"
#include "widgets/ShownFont.h"
#include "version/Version.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
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

QString SetupApplication(QApplication& app, UiLanguage language, const QString& translationsFolder) {
    InitResources();
    QApplication::setApplicationName(QString::fromLatin1(version::kProgramName));
    QApplication::setApplicationVersion(QString::fromLatin1(version::kNumber));
    // The installed theme icon (sharp at every size) where there is one, else the built-in picture;
    // the desktop file's name lets the task bar match the window to its menu entry.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(version::kAppId));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QString::fromLatin1(version::kAppId), QIcon(QStringLiteral(":/images/oruvan.xpm"))));
    const QString problem = InstallTranslations(&app, language, translationsFolder);
    // The stored face names stay the Windows ones; an installed Japanese face draws them.
    InstallStandInFaces();
    QApplication::setStyle(new HintDelayStyle);
    return problem;
}

QString InstallTranslations(QObject* owner, UiLanguage language, const QString& folder) {
    if (language == UiLanguage::Japanese) {
        const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        for (const char* name : {"qtbase_ja", "qscintilla_ja"}) {
            auto* t = new QTranslator(owner);
            if (t->load(QString::fromLatin1(name), qtFolder))
                QCoreApplication::installTranslator(t);
            else
                delete t;  // Qt's own texts then show in English: no loss worth a word
        }
        return {};
    }
    const QString file = QDir(folder).filePath(QStringLiteral("oruvan_en.qm"));
    auto* t = new QTranslator(owner);
    if (t->load(file) && !t->isEmpty()) {
        QCoreApplication::installTranslator(t);
        return {};
    }
    delete t;
    const QFileInfo info(file);
    // untranslated: said in English, the language whose translation is missing
    const QString why = !info.exists()       ? QStringLiteral("it is missing")
                        : !info.isReadable() ? QStringLiteral("it cannot be read")
                                             : QStringLiteral("it is damaged");
    return QStringLiteral("The English translation %1 could not be loaded (%2); the program's texts stay in Japanese.")
        .arg(file, why);
}

}  // namespace oruvan
