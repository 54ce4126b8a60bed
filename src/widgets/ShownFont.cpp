#include "widgets/ShownFont.h"

#include <QFontDatabase>
#include <QStringList>

#include "settings/FontStandIn.h"

namespace oruvan {

namespace {
std::vector<std::string> Utf8(const QStringList& names) {
    std::vector<std::string> out;
    for (const QString& n : names) out.push_back(n.toUtf8().toStdString());
    return out;
}
}  // namespace

QString StandInFamily(const QString& face) {
    // Families are listed under one name, localised to the desktop's language; a face also answers to
    // its other names, which the stand-in table may use.
    QStringList installed = QFontDatabase::families();
    for (const std::string& candidate : StandInCandidates()) {
        const QString name = QString::fromStdString(candidate);
        if (QFontDatabase::hasFamily(name)) installed.append(name);
    }
    const std::string chosen = StandInFace(face.toUtf8().toStdString(), Utf8(installed),
                                           Utf8(QFontDatabase::families(QFontDatabase::Japanese)));
    return QString::fromStdString(chosen);
}

QFont ShownFont(const QFont& stored) {
    QFont shown = stored;
    shown.setFamily(StandInFamily(stored.family()));
    shown.setPointSize(ShownPointSize(stored.pointSize()));
    return shown;
}

void InstallStandInFaces() {
    for (const std::string& face : WindowsJapaneseFaces()) {
        const QString name = QString::fromStdString(face);
        const QString standIn = StandInFamily(name);
        if (standIn != name) QFont::insertSubstitution(name, standIn);
    }
}

}  // namespace oruvan
