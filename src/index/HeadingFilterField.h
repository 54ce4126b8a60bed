#pragma once
// The field above the heading list that narrows the list to the headings matching its words. It shows
// with the list and hides with it; Enter and Down go into the list, Escape empties it and goes back.
#include <QLineEdit>
#include <QPointer>

namespace oruvan {

class HeadingList;

class HeadingFilterField : public QLineEdit {
    Q_OBJECT
public:
    // Lives in `panel` above `list`; `home` takes the focus back when the widget it came from cannot.
    HeadingFilterField(HeadingList* list, QWidget* home, QWidget* panel);
    ~HeadingFilterField() override;

    // From anywhere: shown, focused, and its text ready to be replaced.
    void startTyping();

Q_SIGNALS:
    // The list shows other rows now.
    void filtered();
    // Enter or Down chose row `row` of the list.
    void rowChosen(int row);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void applyFilter();
    bool handleKey(QKeyEvent* e);

    QPointer<HeadingList> m_list;
    QPointer<QWidget> m_home;
    QPointer<QWidget> m_focusBefore;
    QMetaObject::Connection m_focusWatch;
};

}  // namespace oruvan
