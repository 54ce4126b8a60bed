#pragma once
// The index of the text's headings and its views: the drop-down list, the list beside the text with its
// filter field, and the Index menu. Builds it whole or, a second after edits, follows them; moves the
// caret to a heading and shows which heading the caret is under.
#include <QObject>
#include <functional>
#include <optional>

#include "index/IndexOptions.h"
#include "platform/CharacterCount.h"

class QComboBox;
class QTimer;
class QWidget;

namespace oruvan {

class HeadingFilterField;
class HeadingList;
class IndexFollower;
class IndexMenu;
class IndexModel;
class SectionCounter;
class SectionFolds;
class TextCopies;
class TextView;

class IndexController : public QObject {
    Q_OBJECT
public:
    // The views are made as children of `window`, which places them. `copies` holds the indexed copy of
    // the text beside the saved one, to share their buffer.
    IndexController(TextView* view, TextCopies* copies, QWidget* window);

    QComboBox* headingCombo() const { return m_combo; }
    HeadingList* headingList() const { return m_list; }
    HeadingFilterField* filterField() const { return m_filter; }
    // The filter field above the list, as one pane.
    QWidget* listPanel() const { return m_listPanel; }
    IndexMenu* indexMenu() const { return m_menu; }
    // Runs a second after the last edit (reindexAfterEdits).
    QTimer* reindexTimer() const { return m_reindexTimer; }

    const IndexOptions& options() const { return m_options; }
    // Takes every option at once and rebuilds once.
    void setOptions(IndexOptions options);

    // Builds the index from the text as it is, leaving out text being composed.
    void rebuild();
    void rebuildNow();
    int rebuildCount() const { return m_rebuildCount; }
    // What the re-index timer does: when the text differs from the one indexed, the index follows the
    // edits.
    void reindexAfterEdits();

    int entryCount() const;
    int currentEntry() const;
    // Shows entry n as current in both lists; none when there is no such entry.
    void selectEntry(int n);
    // The line of entry n, n kept within the index; 0 for an empty index.
    int entryLine(int n) const;
    // Puts the caret at the start of entry n's line (-1: the current entry) and that line at the top.
    void jumpTo(int n = -1);
    void stepPrevious();
    // On the last heading the view stays there rather than wrapping to the first one.
    void stepNext();
    // Shows as current the heading whose section holds document line `line`.
    void followCaret(int line);

    // The characters and sheets of entry n's section, and of the section holding document line `line`
    // (nothing before the first heading); of the whole text; the selection's characters, if any. With a
    // budget (ms) the lines not counted yet are counted while it lasts; when it runs out nothing is
    // returned and *unfinished is set, and asking again goes on.
    TextCount sectionCount(int n);
    std::optional<TextCount> sectionCountAt(int line, double budgetMs = -1, bool* unfinished = nullptr);
    TextCount documentCount();
    std::optional<std::int64_t> selectionCount(double budgetMs = -1, bool* unfinished = nullptr);

    // The caret's section moved past the section of its level before it (-1) or after it (+1), or its
    // headings promoted (-1) or demoted (+1) a level; each one undo step, the index following at once.
    bool canMoveSection(int step);
    void moveSection(int step);
    bool canShiftSection(int step);
    void shiftSection(int step);

    // Folding, while the options have it on: the caret's section folded or unfolded, every section, or
    // every section deeper than a level (which also limits the list to that level; 0: no limit).
    SectionFolds* folds() const { return m_folds; }
    bool caretSectionFolded();
    bool caretInSection();
    void foldCaretSection(bool on);
    void foldAll(bool on);
    void showToLevel(int level);
    int listLevelLimit() const;

    void chooseFromCombo();
    void chooseFromList();
    void chooseFromMenu(int entry);
    void chooseRow(int row);

Q_SIGNALS:
    // The caret went to a heading, or the index under it was rebuilt: the caret status and the heading
    // the caret is under want showing again.
    void jumped();

private:
    void onTextChanged();
    // Edits still waiting for the re-index are indexed now.
    void catchUp();
    // A fold that hid the caret's line moves the caret to the heading that stays in sight.
    void keepCaretInSight();
    // A section that grew over the line being typed in (typed after a folded last section, its
    // bounding heading edited) unfolds: the caret never sits on a hidden line.
    void revealCaret();
    void onMarkerClicked(int line);
    void fillViews();
    // Runs a handler for a signal of the user's, showing an error it raises in the error box.
    void report(const std::function<void()>& handler) const;

    TextView* m_view;
    TextCopies* m_copies;
    QWidget* m_window;
    QComboBox* m_combo = nullptr;
    IndexModel* m_comboModel = nullptr;
    QWidget* m_listPanel = nullptr;
    HeadingList* m_list = nullptr;
    HeadingFilterField* m_filter = nullptr;
    IndexMenu* m_menu = nullptr;
    IndexFollower* m_follower = nullptr;
    SectionCounter* m_counter = nullptr;
    SectionFolds* m_folds = nullptr;
    QTimer* m_reindexTimer = nullptr;
    IndexOptions m_options;
    bool m_followEdits = false;  // a rebuild may follow the edits rather than scan the whole text
    int m_rebuildCount = 0;
};

}  // namespace oruvan
