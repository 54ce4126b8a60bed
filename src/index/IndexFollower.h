#pragma once
// Follows the text view's edits for the index: which lines they touched and whether the text is back
// to what was last indexed, through the view's own line positions (they know every kind of break).
#include <QObject>
#include <memory>
#include <optional>
#include <vector>

#include "outline/IndexTracker.h"

namespace oruvan {

class TextView;

class IndexFollower : public QObject {
    Q_OBJECT
public:
    explicit IndexFollower(TextView* view);
    ~IndexFollower() override;

    // The index was built from the view's text as it is now, under these rules.
    void indexed(const HeadingRules& rules);
    // The view's text as it is now is the one the next comparison refers to.
    void compared();
    // Whether the text equals the one of the last comparison; unknown when the view was given another
    // document since.
    std::optional<bool> unchanged();
    // The splices that bring the index up to date, or nothing when a whole rebuild is needed or cheaper.
    std::optional<std::vector<IndexSplice>> update(const Index& index, const HeadingRules& rules);

private:
    void checkDocument();

    TextView* m_view;
    std::unique_ptr<TextAccess> m_text;
    IndexTracker m_tracker;
    HeadingRules m_rules;
    long m_document = 0;
};

}  // namespace oruvan
