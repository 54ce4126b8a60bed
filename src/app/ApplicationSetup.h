#pragma once
#include <QString>

#include "platform/ProgramLanguage.h"

class QApplication;
class QObject;

namespace oruvan {

// What every start of the program (and every GUI test) needs before the first window: the stand-ins for
// the Windows Japanese font faces, the style, and the translators of the language (InstallTranslations,
// owned by app). Returns what went wrong with the translators, or an empty text.
QString SetupApplication(QApplication& app, UiLanguage language = UiLanguage::Japanese,
                         const QString& translationsFolder = {});

// Installs the translators of a language, owned by owner (deleting it removes them): none of ours for
// Japanese, in which the program is written, Qt's and QScintilla's Japanese texts too; our English
// texts from folder for English, with Qt's own English. Returns what went wrong, to tell the user
// (the program then stays Japanese), or an empty text.
QString InstallTranslations(QObject* owner, UiLanguage language, const QString& folder);

}  // namespace oruvan
