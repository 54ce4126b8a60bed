#pragma once
// The About dialog: the program's icon, name and version, and a short notice. It changes nothing.
#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace oruvan {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    void SetProductLine(const QString& text);
    // Lines separated by CR LF (LF alone is taken too).
    void SetNoticeText(const QString& text);

    // The product line and the program's eight-line notice, each line padded to its column.
    static QString ProductLine();
    static QString NoticeText();

    QLabel* icon = nullptr;
    QLabel* productLine = nullptr;
    QPlainTextEdit* notice = nullptr;
    QFrame* frame = nullptr;
    QToolButton* okButton = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace oruvan
