#pragma once
// The two whole copies of the text a window keeps: as last saved (to tell whether it is modified) and
// as last indexed (to tell whether the index is stale). When both are the same text they share one
// buffer, and a copy given up is reused for the next one: allocating a fresh 100 MB buffer costs
// several times the copy (new pages, each faulted in).
#include <memory>
#include <string>
#include <string_view>

namespace oruvan {

class TextCopies {
public:
    // Null until set.
    const std::string* saved() const { return m_saved.get(); }
    const std::string* indexed() const { return m_indexed.get(); }

    // Shares the indexed copy when it holds the same text.
    void setSaved(std::string_view text);
    // Shares the saved copy when it holds the same text, unless sharing is not wanted (a copy
    // taken only to compare later edits with).
    void setIndexed(std::string_view text, bool mayShareSaved = true);
    void dropIndexed() { release(m_indexed); }
    // A new document starts without a spare sized for the text before.
    void forgetSpare() { m_spare.reset(); }

private:
    std::shared_ptr<const std::string> copyOf(std::string_view text);
    void release(std::shared_ptr<const std::string>& copy);

    std::shared_ptr<const std::string> m_saved;
    std::shared_ptr<const std::string> m_indexed;
    std::shared_ptr<std::string> m_spare;
};

}  // namespace oruvan
