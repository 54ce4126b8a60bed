#pragma once
// 行へ移動: asks for a document line number, from 1 to the document's line count.
#include <QDialog>

class QSpinBox;

namespace oruvan {

class GoToLineDialog : public QDialog {
    Q_OBJECT
public:
    // The caret's line (from 1) comes preselected; Enter accepts, Escape cancels.
    GoToLineDialog(int lineCount, int currentLine, QWidget* parent = nullptr);

    int Line() const;
    QSpinBox* LineField() const { return m_line; }

private:
    QSpinBox* m_line;
};

}  // namespace oruvan
