#pragma once
// The text view as the core's trackers read a text: its UTF-8 buffer, lines and positions.
#include "outline/ChangeWindow.h"
#include "view/TextView.h"

namespace oruvan {

class TextViewAccess : public TextAccess {
public:
    explicit TextViewAccess(const TextView* view) : m_view(view) {}

    long length() const override { return m_view->Utf8Length(); }
    std::string_view range(long start, long end) const override { return m_view->Utf8Range(start, end); }
    long lineCount() const override { return m_view->Utf8LineCount(); }
    long lineFromPosition(long pos) const override { return m_view->Utf8LineOf(pos); }
    long positionFromLine(long line) const override { return m_view->Utf8LineStart(line); }

private:
    const TextView* m_view;
};

}  // namespace oruvan
