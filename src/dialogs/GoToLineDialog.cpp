#include "dialogs/GoToLineDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace oruvan {

GoToLineDialog::GoToLineDialog(int lineCount, int currentLine, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_line(new QSpinBox(this)) {
    setObjectName(QStringLiteral("GoToLineDialog"));
    setWindowTitle(tr("行へ移動"));
    const int last = std::max(1, lineCount);
    auto* label = new QLabel(tr("行番号 (1 - %1)(&L):").arg(last), this);
    label->setBuddy(m_line);
    m_line->setRange(1, last);
    m_line->setValue(std::clamp(currentLine, 1, last));
    m_line->setAccelerated(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("キャンセル"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(label);
    column->addWidget(m_line);
    column->addWidget(buttons);
    setMinimumWidth(240);
    // Typing a number replaces the one shown.
    m_line->selectAll();
    m_line->setFocus();
}

int GoToLineDialog::Line() const { return m_line->value(); }

}  // namespace oruvan
