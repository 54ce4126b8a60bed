#include "view/TextViewAccessible.h"

#include "view/TextView.h"

namespace oruvan {

namespace {
using Base = QsciScintillaBase;

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("oruvan::TextView") && object && object->isWidgetType())
        return new TextViewAccessible(static_cast<TextView*>(object));
    return nullptr;
}
}  // namespace

TextViewAccessible::TextViewAccessible(TextView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

void TextViewAccessible::Install() {
    static const bool installed = (QAccessible::installFactory(factory), true);
    (void)installed;
}

TextView* TextViewAccessible::view() const { return static_cast<TextView*>(widget()); }

void* TextViewAccessible::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QString TextViewAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Value) return text(0, characterCount());
    return QAccessibleWidget::text(t);
}

// Offsets count characters (as assistive technology does); the view counts UTF-8 bytes.
long TextViewAccessible::positionOf(int offset) const {
    return view()->SendScintilla(Base::SCI_POSITIONRELATIVE, 0UL, static_cast<long>(offset));
}

int TextViewAccessible::offsetOf(long position) const {
    return static_cast<int>(view()->SendScintilla(Base::SCI_COUNTCHARACTERS, 0UL, position));
}

void TextViewAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !view()->HasSelection()) return;
    *startOffset = offsetOf(view()->SendScintilla(Base::SCI_GETSELECTIONSTART));
    *endOffset = offsetOf(view()->SendScintilla(Base::SCI_GETSELECTIONEND));
}

int TextViewAccessible::selectionCount() const { return view()->HasSelection() ? 1 : 0; }

void TextViewAccessible::addSelection(int startOffset, int endOffset) { setSelection(0, startOffset, endOffset); }

void TextViewAccessible::removeSelection(int) {
    view()->SendScintilla(Base::SCI_SETEMPTYSELECTION, view()->SendScintilla(Base::SCI_GETCURRENTPOS));
}

void TextViewAccessible::setSelection(int, int startOffset, int endOffset) {
    view()->SendScintilla(Base::SCI_SETSEL, static_cast<unsigned long>(positionOf(startOffset)),
                          positionOf(endOffset));
}

int TextViewAccessible::cursorPosition() const { return offsetOf(view()->SendScintilla(Base::SCI_GETCURRENTPOS)); }

void TextViewAccessible::setCursorPosition(int position) {
    view()->SendScintilla(Base::SCI_GOTOPOS, static_cast<unsigned long>(positionOf(position)));
}

QString TextViewAccessible::text(int startOffset, int endOffset) const {
    const long start = positionOf(startOffset);
    const long end = positionOf(endOffset);
    const std::string_view buffer = view()->Utf8Buffer();
    if (start < 0 || end <= start || static_cast<std::size_t>(end) > buffer.size()) return {};
    return QString::fromUtf8(buffer.data() + start, static_cast<qsizetype>(end - start));
}

int TextViewAccessible::characterCount() const { return offsetOf(view()->Utf8Length()); }

QRect TextViewAccessible::characterRect(int offset) const {
    const long pos = positionOf(offset);
    const int x = static_cast<int>(view()->SendScintilla(Base::SCI_POINTXFROMPOSITION, 0UL, pos));
    const int y = static_cast<int>(view()->SendScintilla(Base::SCI_POINTYFROMPOSITION, 0UL, pos));
    const long next = view()->SendScintilla(Base::SCI_POSITIONAFTER, static_cast<unsigned long>(pos));
    const int x2 = static_cast<int>(view()->SendScintilla(Base::SCI_POINTXFROMPOSITION, 0UL, next));
    const int h = static_cast<int>(view()->SendScintilla(Base::SCI_TEXTHEIGHT, 0UL));
    const QPoint origin = view()->viewport()->mapToGlobal(QPoint(x, y));
    return QRect(origin, QSize(std::max(1, x2 - x), h));
}

int TextViewAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint local = view()->viewport()->mapFromGlobal(point);
    const long pos = view()->SendScintilla(Base::SCI_POSITIONFROMPOINTCLOSE, static_cast<unsigned long>(local.x()),
                                           static_cast<long>(local.y()));
    return pos < 0 ? -1 : offsetOf(pos);
}

void TextViewAccessible::scrollToSubstring(int startIndex, int endIndex) {
    view()->SendScintilla(Base::SCI_SCROLLRANGE, static_cast<unsigned long>(positionOf(endIndex)),
                          positionOf(startIndex));
}

QString TextViewAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = offset;
    return {};
}

}  // namespace oruvan
