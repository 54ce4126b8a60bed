#include "widgets/FindBar.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>
#include <vector>

namespace oruvan {

namespace {

QToolButton* makeButton(const QString& text, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

bool isEnter(const QKeyEvent* e) { return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter; }

// The window also binds Ctrl+Y to redo, which a field's own bindings may lack.
bool isCtrlY(const QKeyEvent* e) {
    return e->key() == Qt::Key_Y && (e->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

}  // namespace

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FindBar"));
    setAccessibleName(tr("検索"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 2, 4, 2);
    column->setSpacing(2);

    auto* findRow = new QHBoxLayout;
    m_find = new QComboBox(this);
    m_find->setObjectName(QStringLiteral("FindField"));
    m_find->setEditable(true);
    m_find->setInsertPolicy(QComboBox::NoInsert);
    // Inline completion from the history would search for a text nobody typed.
    m_find->setCompleter(nullptr);
    m_find->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_find->setMinimumContentsLength(8);
    m_find->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_find->lineEdit()->setPlaceholderText(tr("検索する文字列"));
    m_find->setAccessibleName(tr("検索する文字列"));
    m_next = makeButton(tr("次を検索"), this);
    m_previous = makeButton(tr("前を検索"), this);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("FindCount"));
    m_count->setMinimumWidth(m_count->fontMetrics().horizontalAdvance(tr("10000+ 件")));
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_close = makeButton(tr("閉じる"), this);
    findRow->addWidget(m_find, 1);
    findRow->addWidget(m_next);
    findRow->addWidget(m_previous);
    findRow->addWidget(m_count);
    findRow->addWidget(m_close);
    column->addLayout(findRow);

    m_replaceRow = new QWidget(this);
    auto* replaceRow = new QHBoxLayout(m_replaceRow);
    replaceRow->setContentsMargins(0, 0, 0, 0);
    m_replace = new QLineEdit(m_replaceRow);
    m_replace->setObjectName(QStringLiteral("ReplaceField"));
    m_replace->setPlaceholderText(tr("置換後の文字列"));
    m_replace->setAccessibleName(tr("置換後の文字列"));
    m_replaceButton = makeButton(tr("置換"), m_replaceRow);
    m_replaceAllButton = makeButton(tr("すべて置換(&A)"), m_replaceRow);
    replaceRow->addWidget(m_replace, 1);
    replaceRow->addWidget(m_replaceButton);
    replaceRow->addWidget(m_replaceAllButton);
    column->addWidget(m_replaceRow);

    m_options = new QGridLayout;
    m_options->setContentsMargins(0, 0, 0, 0);
    m_options->setHorizontalSpacing(12);
    m_options->setVerticalSpacing(0);
    m_matchCase = new QCheckBox(tr("大文字と小文字を区別する(&C)"), this);
    m_ignoreWidth = new QCheckBox(tr("全角と半角を区別しない(&W)"), this);
    m_regex = new QCheckBox(tr("正規表現(&X)"), this);
    column->addLayout(m_options);
    layOutOptions();

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("FindMessage"));
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_message->hide();
    applyWarningColours();
    column->addWidget(m_message);

    setTabOrder(m_find, m_replace);
    setTabOrder(m_replace, m_matchCase);
    setTabOrder(m_matchCase, m_ignoreWidth);
    setTabOrder(m_ignoreWidth, m_regex);
    setTabOrder(m_regex, m_next);
    setTabOrder(m_next, m_previous);
    setTabOrder(m_previous, m_replaceButton);
    setTabOrder(m_replaceButton, m_replaceAllButton);
    setTabOrder(m_replaceAllButton, m_close);

    connect(m_find, &QComboBox::editTextChanged, this, [this] { Q_EMIT findTextEdited(); });
    connect(m_regex, &QCheckBox::toggled, this, [this](bool on) {
        // Width forms belong to literal searches.
        m_ignoreWidth->setEnabled(!on);
    });
    for (QCheckBox* box : {m_matchCase, m_ignoreWidth, m_regex})
        connect(box, &QCheckBox::toggled, this, [this] { Q_EMIT optionsChanged(); });
    connect(m_next, &QToolButton::clicked, this, [this] { Q_EMIT findNext(); });
    connect(m_previous, &QToolButton::clicked, this, [this] { Q_EMIT findPrevious(); });
    connect(m_replaceButton, &QToolButton::clicked, this, [this] { Q_EMIT replaceOne(); });
    connect(m_replaceAllButton, &QToolButton::clicked, this, [this] { Q_EMIT replaceAll(); });
    connect(m_close, &QToolButton::clicked, this, &FindBar::Close);

    m_find->lineEdit()->installEventFilter(this);
    m_find->installEventFilter(this);
    m_replace->installEventFilter(this);
    for (QWidget* w : {static_cast<QWidget*>(m_matchCase), static_cast<QWidget*>(m_ignoreWidth),
                       static_cast<QWidget*>(m_regex), static_cast<QWidget*>(m_next),
                       static_cast<QWidget*>(m_previous), static_cast<QWidget*>(m_replaceButton),
                       static_cast<QWidget*>(m_replaceAllButton), static_cast<QWidget*>(m_close)})
        w->installEventFilter(this);
    m_replaceRow->hide();
    hide();
}

void FindBar::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    layOutOptions();
}

void FindBar::layOutOptions() {
    const QList<QCheckBox*> boxes = {m_matchCase, m_ignoreWidth, m_regex};
    const int available = width() - 8;
    int columns = static_cast<int>(boxes.size());
    for (; columns > 1; --columns) {
        std::vector<int> widths(static_cast<std::size_t>(columns), 0);
        for (int i = 0; i < boxes.size(); ++i)
            widths[static_cast<std::size_t>(i % columns)] =
                std::max(widths[static_cast<std::size_t>(i % columns)], boxes[i]->sizeHint().width() + 12);
        if (std::accumulate(widths.begin(), widths.end(), 0) <= available) break;
    }
    if (columns == m_optionColumns) return;
    m_optionColumns = columns;
    for (QCheckBox* b : boxes) m_options->removeWidget(b);
    for (int i = 0; i < boxes.size(); ++i) m_options->addWidget(boxes[i], i / columns, i % columns);
    for (int c = 0; c < 4; ++c) m_options->setColumnStretch(c, c == columns ? 1 : 0);
}

void FindBar::Open(bool withReplace) {
    m_replaceRow->setVisible(withReplace);
    show();
    m_find->setFocus(Qt::ShortcutFocusReason);
    m_find->lineEdit()->selectAll();
}

void FindBar::Close() {
    hide();
    Q_EMIT closed();
}

bool FindBar::ReplaceShown() const { return m_replaceRow->isVisibleTo(this); }

QString FindBar::FindText() const { return m_find->currentText(); }

void FindBar::SetFindText(const QString& text) {
    const QSignalBlocker block(m_find);
    m_find->setEditText(text);
}

QString FindBar::ReplaceText() const { return m_replace->text(); }
bool FindBar::MatchCase() const { return m_matchCase->isChecked(); }
bool FindBar::IgnoreWidth() const { return m_ignoreWidth->isChecked() && !m_regex->isChecked(); }
bool FindBar::Regex() const { return m_regex->isChecked(); }

void FindBar::SetCountText(const QString& text) { m_count->setText(text); }
QString FindBar::CountText() const { return m_count->text(); }

void FindBar::SetNotFound(bool on) {
    if (on == m_notFound) return;
    m_notFound = on;
    applyWarningColours();
}

void FindBar::applyWarningColours() {
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    QPalette warn = m_message->palette();
    warn.setColor(QPalette::WindowText, dark ? QColor(0xFF, 0x8A, 0x80) : QColor(0xB0, 0x00, 0x00));
    m_message->setPalette(warn);
    // A pale red field with dark text, whatever the theme's text colour.
    QPalette p = palette();
    p.setColor(QPalette::Base, QColor(0xFF, 0xD8, 0xD8));
    p.setColor(QPalette::Text, QColor(Qt::black));
    m_find->lineEdit()->setPalette(m_notFound ? p : QPalette());
    m_find->setPalette(m_notFound ? p : QPalette());
}

void FindBar::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::PaletteChange) applyWarningColours();
}

void FindBar::SetMessage(const QString& text) {
    m_message->setText(text);
    m_message->setVisible(!text.isEmpty());
}

QString FindBar::Message() const { return m_message->text(); }

void FindBar::SetHistory(const QStringList& texts) {
    m_history.clear();
    for (const QString& t : texts)
        if (!t.isEmpty() && !m_history.contains(t) && m_history.size() < kHistorySize) m_history << t;
    fillHistory();
}

void FindBar::Remember(const QString& text) {
    if (text.isEmpty()) return;
    m_history.removeAll(text);
    m_history.prepend(text);
    while (m_history.size() > kHistorySize) m_history.removeLast();
    fillHistory();
}

void FindBar::fillHistory() {
    // The drop-down changes under the text being edited, which stays as it is.
    const QString text = m_find->currentText();
    const int cursor = m_find->lineEdit()->cursorPosition();
    const QSignalBlocker block(m_find);
    m_find->clear();
    m_find->addItems(m_history);
    m_find->setCurrentIndex(-1);
    m_find->setEditText(text);
    m_find->lineEdit()->setCursorPosition(cursor);
}

bool FindBar::KeepsKey(QObject* receiver, QKeyEvent* e) const {
    if (receiver != m_find && receiver != m_find->lineEdit() && receiver != m_replace) return false;
    for (QKeySequence::StandardKey k : {QKeySequence::Undo, QKeySequence::Redo, QKeySequence::Cut,
                                        QKeySequence::Copy, QKeySequence::Paste, QKeySequence::SelectAll})
        if (e->matches(k)) return true;
    return isCtrlY(e);
}

bool FindBar::TakeAccessKey(const QKeySequence& key) {
    if (!isVisible()) return false;
    for (QAbstractButton* b : findChildren<QAbstractButton*>())
        if (b->isVisible() && b->isEnabled() && QKeySequence::mnemonic(b->text()) == key) {
            b->animateClick();
            return true;
        }
    return false;
}

bool FindBar::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, e);
    auto* ke = static_cast<QKeyEvent*>(e);
    const Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::KeypadModifier;
    if (ke->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
        if (watched == m_find && m_find->view()->isVisible()) return false;  // closes the drop-down
        Close();
        return true;
    }
    if (isCtrlY(ke) && !ke->matches(QKeySequence::Redo)) {
        if (watched == m_find || watched == m_find->lineEdit()) m_find->lineEdit()->redo();
        if (watched == m_replace) m_replace->redo();
        if (watched == m_find || watched == m_find->lineEdit() || watched == m_replace) return true;
    }
    if (isEnter(ke) && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
        if (watched == m_find->lineEdit() || watched == m_find) {
            if (mods == Qt::ShiftModifier)
                Q_EMIT findPrevious();
            else
                Q_EMIT findNext();
            return true;
        }
        if (watched == m_replace && mods == Qt::NoModifier) {
            Q_EMIT replaceOne();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

}  // namespace oruvan
