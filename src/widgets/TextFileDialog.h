#pragma once
// The program's file dialogs: text files first, then all files; resizable. An Open dialog takes a name
// that exists as typed (README, /proc/version) as it is and adds ".txt" only to a name that has no
// extension and does not exist; a Save dialog adds ".txt" to a name without an extension.
#include <QFileDialog>

namespace oruvan {

class TextFileDialog : public QFileDialog {
public:
    TextFileDialog(QWidget* parent, const QString& title, AcceptMode mode);

    // Opens on a file chosen before, typed or picked: in its folder, with its name in the name box.
    void reopenOn(const QString& lastChoice);
    // The file chosen, once the dialog was accepted.
    QString chosenFile() const;

protected:
    void showEvent(QShowEvent* e) override;
};

// A name an Open dialog hands back: as typed when it exists or has an extension, else with ".txt".
QString WithDefaultSuffix(const QString& path);

}  // namespace oruvan
