#include "view/TextCopies.h"

namespace oruvan {

void TextCopies::setSaved(std::string_view text) {
    release(m_saved);
    m_saved = m_indexed && *m_indexed == text ? m_indexed : copyOf(text);
}

void TextCopies::setIndexed(std::string_view text, bool mayShareSaved) {
    release(m_indexed);
    m_indexed = mayShareSaved && m_saved && *m_saved == text ? m_saved : copyOf(text);
}

std::shared_ptr<const std::string> TextCopies::copyOf(std::string_view text) {
    std::shared_ptr<std::string> copy = std::move(m_spare);
    if (!copy) copy = std::make_shared<std::string>();
    copy->assign(text.data(), text.size());
    return copy;
}

void TextCopies::release(std::shared_ptr<const std::string>& copy) {
    // Only a buffer made by copyOf() (never a const one) is handed out again.
    if (copy && copy.use_count() == 1 && (!m_spare || m_spare->capacity() < copy->capacity()))
        m_spare = std::const_pointer_cast<std::string>(copy);
    copy.reset();
}

}  // namespace oruvan
