#pragma once
// What the user chose about the index: which lines are headings, how they are shown, and how the Index
// menu and the drop-down list are laid out.
#include "outline/TitleMarks.h"

namespace oruvan {

struct IndexOptions {
    TitleMarkList titleMarks;
    bool ignoreHeadSpaces = false;
    bool captionIncludesMark = false;
    // The Index menu's page item stands first on each page rather than last.
    bool nextPageOnTop = false;
    // The order of the title marks is the headings' level, shown as indentation.
    bool headingLevels = false;
    // Rows the drop-down list shows at once, as stored (the list shows at least one).
    int dropDownCount = 16;
    // The text view folds sections under their headings.
    bool foldSections = false;

    bool operator==(const IndexOptions& o) const {
        return titleMarks == o.titleMarks && ignoreHeadSpaces == o.ignoreHeadSpaces &&
               captionIncludesMark == o.captionIncludesMark && nextPageOnTop == o.nextPageOnTop &&
               headingLevels == o.headingLevels && dropDownCount == o.dropDownCount &&
               foldSections == o.foldSections;
    }

    HeadingRules rules() const { return {titleMarks, ignoreHeadSpaces, captionIncludesMark, headingLevels}; }
};

}  // namespace oruvan
