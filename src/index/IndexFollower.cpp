#include "index/IndexFollower.h"

#include "view/TextView.h"
#include "view/TextViewAccess.h"

namespace oruvan {

IndexFollower::IndexFollower(TextView* view)
    : QObject(view), m_view(view), m_text(std::make_unique<TextViewAccess>(view)) {
    connect(view, &TextView::aboutToChange, this, [this](long pos, long length, bool insertion) {
        checkDocument();
        if (insertion)
            m_tracker.beforeInsert(*m_text, pos, length);
        else
            m_tracker.beforeDelete(*m_text, pos, length);
    });
    m_tracker.lost();
}

IndexFollower::~IndexFollower() = default;

// Loading a file swaps in a new document, whose filling says nothing about the old text.
void IndexFollower::checkDocument() {
    if (m_view->DocumentId() != m_document) m_tracker.lost();
}

void IndexFollower::indexed(const HeadingRules& rules) {
    m_document = m_view->DocumentId();
    m_rules = rules;
    m_tracker.indexed();
}

void IndexFollower::compared() {
    checkDocument();
    m_tracker.compared();
    m_document = m_view->DocumentId();
}

std::optional<bool> IndexFollower::unchanged() {
    checkDocument();
    return m_tracker.unchanged(*m_text);
}

std::optional<std::vector<IndexSplice>> IndexFollower::update(const Index& index, const HeadingRules& rules) {
    checkDocument();
    if (rules.marks != m_rules.marks || rules.ignoreHeadSpaces != m_rules.ignoreHeadSpaces ||
        rules.captionIncludingTitleMark != m_rules.captionIncludingTitleMark ||
        rules.longestMark != m_rules.longestMark ||
        m_tracker.wholeScanNeeded(*m_text))
        return std::nullopt;
    // Lines kept with their own bytes are tested on them, as a whole scan does.
    return m_tracker.update(*m_text, index, rules,
                            [this](long first, long end) { return m_view->HeadingOwnBytes(first, end); });
}

}  // namespace oruvan
