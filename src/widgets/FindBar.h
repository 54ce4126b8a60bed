#pragma once
// The find bar between the text view and the status bar: the search field with its history, the
// replacement row, the three options, the match count, and the buttons. It only collects what the user
// asks for and reports it by signals; the searching is done by whoever listens.
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QKeyEvent;
class QKeySequence;
class QLabel;
class QLineEdit;
class QToolButton;

namespace oruvan {

class FindBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHistorySize = 10;

    explicit FindBar(QWidget* parent = nullptr);

    // Shows the bar, with the replacement row or without it, and puts the focus in the search field with
    // its text all selected.
    void Open(bool withReplace);
    // Hides the bar and reports closed().
    void Close();
    bool ReplaceShown() const;

    QString FindText() const;
    // Sets the search text without reporting it as typed.
    void SetFindText(const QString& text);
    QString ReplaceText() const;
    bool MatchCase() const;
    bool IgnoreWidth() const;
    bool Regex() const;

    void SetCountText(const QString& text);
    QString CountText() const;
    // A light red search field: nothing was found.
    void SetNotFound(bool on);
    bool NotFound() const { return m_notFound; }
    // A message under the fields (a regular expression that is not valid); empty hides it.
    void SetMessage(const QString& text);
    QString Message() const;

    // Most recent first.
    QStringList History() const { return m_history; }
    void SetHistory(const QStringList& texts);
    // Puts the text at the top of the history, once, keeping at most kHistorySize texts.
    void Remember(const QString& text);

    QComboBox* FindField() const { return m_find; }
    QLineEdit* ReplaceField() const { return m_replace; }
    // The editing keys (copy, paste, undo, select all...) a field of the bar keeps for itself while it
    // has the focus, though the window binds them to commands.
    bool KeepsKey(QObject* receiver, QKeyEvent* e) const;
    // Clicks the shown option or button whose access key is `key`, as its own shortcut would; false
    // when none has it.
    bool TakeAccessKey(const QKeySequence& key);

Q_SIGNALS:
    void findTextEdited();
    void optionsChanged();
    void findNext();
    void findPrevious();
    void replaceOne();
    void replaceAll();
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    // The message's red and the not-found field's colours, readable on a light or a dark palette.
    void applyWarningColours();
    void fillHistory();
    // The option boxes in as few rows as the width allows.
    void layOutOptions();

    QComboBox* m_find = nullptr;
    QLineEdit* m_replace = nullptr;
    QWidget* m_replaceRow = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_ignoreWidth = nullptr;
    QCheckBox* m_regex = nullptr;
    QGridLayout* m_options = nullptr;
    int m_optionColumns = 0;
    QLabel* m_count = nullptr;
    QLabel* m_message = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_replaceButton = nullptr;
    QToolButton* m_replaceAllButton = nullptr;
    QToolButton* m_close = nullptr;
    QStringList m_history;
    bool m_notFound = false;
};

}  // namespace oruvan
