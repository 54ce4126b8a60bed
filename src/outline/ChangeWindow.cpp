#include "outline/ChangeWindow.h"

#include <algorithm>

namespace oruvan {

void ChangeWindow::reset() {
    m_active = false;
    m_gaveUp = false;
    m_start = m_end = 0;
    m_old = std::string();  // it may have held the whole text: give the memory back
}

void ChangeWindow::beforeInsert(const TextAccess& text, long pos, long length) {
    cover(text, pos, pos);
    m_end += length;
}

void ChangeWindow::beforeDelete(const TextAccess& text, long pos, long length) {
    cover(text, pos, pos + length);
    m_end -= length;
}

std::optional<bool> ChangeWindow::unchanged(const TextAccess& text) const {
    if (m_gaveUp) return std::nullopt;
    if (!m_active) return true;
    if (static_cast<std::size_t>(m_end - m_start) != m_old.size()) return false;
    return text.range(m_start, m_end) == m_old;
}

void ChangeWindow::cover(const TextAccess& text, long start, long end) {
    if (m_gaveUp) return;
    if (!m_active) {
        m_active = true;
        m_start = m_end = start;
    }
    long from = std::min(start, m_start);
    long to = std::max(end, m_end);
    const auto grow = static_cast<std::size_t>((m_start - from) + (to - m_end));
    if (grow == 0) return;
    if (m_old.size() + grow > kMaxKept) {
        m_gaveUp = true;
        m_old = std::string();
        return;
    }
    // Each range is copied before the next is asked for: asking may move the text's storage.
    const std::string before(text.range(from, m_start));
    m_old.insert(0, before);
    m_old.append(text.range(m_end, to));
    m_start = from;
    m_end = to;
}

}  // namespace oruvan
