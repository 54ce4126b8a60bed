#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <random>
#include <vector>

#include "outline/LineCounts.h"

namespace oruvan {
namespace {

// Random edits against a plain list of each line's characters: every count must equal the list's sum,
// blocks split, emptied and left uncounted along the way.
TEST(LineCountsTest, FollowsEditsAsARecountWould) {
    std::mt19937 random(11);
    std::vector<std::int64_t> text(5000);
    for (auto& n : text) n = random() % 50;
    const LineCounts::CountLine count = [&](long line) { return text.at(static_cast<std::size_t>(line)); };
    LineCounts counts;
    counts.reset(static_cast<long>(text.size()));
    for (int round = 0; round < 3000; ++round) {
        const long lines = static_cast<long>(text.size());
        const long first = static_cast<long>(random() % (lines + 1));
        switch (random() % 4) {
            case 0: {  // lines replaced, now and then very many
                const long removed = std::min<long>(lines - first, random() % (round % 97 == 0 ? 6000 : 4));
                const long added = static_cast<long>(random() % (round % 89 == 0 ? 5000 : 4));
                text.erase(text.begin() + first, text.begin() + first + removed);
                text.insert(text.begin() + first, static_cast<std::size_t>(added), 0);
                for (long k = 0; k < added; ++k) text[static_cast<std::size_t>(first + k)] = random() % 70;
                counts.replaceLines(first, removed, added, count);
                break;
            }
            case 1:  // typed into one line
                if (first < lines && counts.counted(first)) {
                    const std::int64_t delta = static_cast<std::int64_t>(random() % 5) - 2;
                    if (text[static_cast<std::size_t>(first)] + delta < 0) break;
                    text[static_cast<std::size_t>(first)] += delta;
                    counts.addToLine(first, delta);
                }
                break;
            default: {
                const long end = first + static_cast<long>(random() % (lines - first + 1));
                TextCount expected;
                for (long n = first; n < end; ++n) expected.addLine(text[static_cast<std::size_t>(n)]);
                // Now and then with time for one block at a time, as the status bar counts: asked again
                // until it answers, it goes on where it left off.
                int allowed = 0;
                const std::function<bool()> oneBlock = [&] { return allowed-- > 0; };
                std::optional<TextCount> answer;
                for (int tries = 0; !answer; ++tries) {
                    allowed = 1;
                    answer = counts.count(first, end, count, round % 3 == 0 ? oneBlock : nullptr);
                    ASSERT_LT(tries, 100);
                }
                const TextCount got = *answer;
                ASSERT_EQ(got.characters, expected.characters) << round;
                ASSERT_EQ(got.rows, expected.rows) << round;
            }
        }
        ASSERT_EQ(counts.lineCount(), static_cast<long>(text.size()));
    }
    counts.replaceLines(0, counts.lineCount(), 0, count);
    text.clear();
    EXPECT_EQ(counts.count(0, 10, count)->characters, 0);
}

}  // namespace
}  // namespace oruvan
