#pragma once
// Fonts as this machine draws them: an installed face stands in for a missing Windows Japanese face.
#include <QFont>
#include <QString>

namespace oruvan {

// The installed face that draws text meant for `face` (the face itself when installed).
QString StandInFamily(const QString& face);

// The font the view draws for a stored one: the stand-in face, at a size it can draw.
QFont ShownFont(const QFont& stored);

// Makes every font the program names with a Windows Japanese face use its stand-in.
void InstallStandInFaces();

}  // namespace oruvan
