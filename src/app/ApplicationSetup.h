#pragma once
class QApplication;

namespace oruvan {

// What every start of the program (and every GUI test) needs before the first window: the Japanese
// translations of Qt's own texts and the stand-ins for the Windows Japanese font faces.
void SetupApplication(QApplication& app);

}  // namespace oruvan
