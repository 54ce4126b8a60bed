#pragma once
// What assistive technology sees of the text view. QScintilla's own accessible object answers every
// caret move and edit by counting characters from the start of the document, so a keystroke in a large
// file would cost time that grows with the file; this one computes positions only when asked.
#include <QAccessibleWidget>

namespace oruvan {

class TextView;

class TextViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TextViewAccessible(TextView* view);

    void* interface_cast(QAccessible::InterfaceType t) override;
    QString text(QAccessible::Text t) const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // Registers the factory that gives every TextView this interface; safe to call more than once.
    static void Install();

private:
    TextView* view() const;
    long positionOf(int offset) const;
    int offsetOf(long position) const;
};

}  // namespace oruvan
