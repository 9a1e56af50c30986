#include "app/bookmarks/SearchRanking.hpp"

#include "app/bookmarks/SearchScorer.hpp"
#include "platform/foundation/Dispatch.hpp"

#include <algorithm>
#include <atomic>
#include <thread>

namespace kestrelvault {

namespace {

struct Match {
    std::int64_t score;
    std::size_t index;
};

bool ranksBefore(const Match& left, const Match& right) {
    return left.score != right.score ? left.score > right.score : left.index < right.index;
}

// The best matches of one worker so far, in rank order. A worker takes units in
// increasing order, so every match it kept comes before the entry at hand and wins a tie:
// a new entry needs a score above the last kept one.
class BestMatches {
public:
    explicit BestMatches(std::size_t limit) : limit_(limit) { matches_.reserve(limit + 1); }

    // Entries this worker scores later enter only above this.
    std::int64_t floor() const { return matches_.size() == limit_ ? matches_.back().score : 0; }

    void consider(Match match) {
        if (match.score <= 0) return;
        auto position = std::upper_bound(matches_.begin(), matches_.end(), match, ranksBefore);
        if (static_cast<std::size_t>(position - matches_.begin()) >= limit_) return;
        matches_.insert(position, match);
        if (matches_.size() > limit_) matches_.pop_back();
    }

    const std::vector<Match>& matches() const { return matches_; }

private:
    std::size_t limit_;
    std::vector<Match> matches_;
};

// Entries scored as one unit of work. Small enough that a worker the system sets aside
// holds back little of a search, large enough that taking one costs nothing in comparison.
constexpr std::size_t entriesPerUnit = 2048;

struct Unit {
    std::size_t piece, begin, end;  // entries [begin, end) of the piece
};

std::vector<Unit> unitsOf(const SearchIndex& index) {
    std::vector<Unit> units;
    for (std::size_t piece = 0; piece < index.pieceCount(); ++piece)
        for (std::size_t begin = 0, size = index.piece(piece).size(); begin < size; begin += entriesPerUnit)
            units.push_back(Unit{piece, begin, std::min(size, begin + entriesPerUnit)});
    return units;
}

void scoreUnit(const SearchIndex::Piece& piece, const Unit& unit, const std::vector<SearchTextView>& words,
               bool fuzzy, BestMatches& best) {
    for (std::size_t local = unit.begin; local < unit.end; ++local) {
        auto fields = piece[local];
        std::int64_t floor = best.floor();
        std::int64_t score =
            SearchScorer::matchScoreAbove(fields.name, fields.url, fields.folderPath, words, fuzzy, floor);
        if (score > floor) best.consider(Match{score, piece.start() + local});
    }
}

}  // namespace

std::vector<std::size_t> SearchRanking::best(const SearchIndex& index, const std::vector<SearchTextView>& words,
                                             bool fuzzy, std::size_t limit) {
    auto units = unitsOf(index);
    std::size_t workers = std::min<std::size_t>(units.size(), std::max(1u, std::thread::hardware_concurrency()));
    std::vector<BestMatches> found(std::max<std::size_t>(workers, 1), BestMatches(limit));
    std::atomic<std::size_t> nextUnit{0};
    auto work = [&](std::size_t worker) {
        for (std::size_t unit; (unit = nextUnit.fetch_add(1)) < units.size();)
            scoreUnit(index.piece(units[unit].piece), units[unit], words, fuzzy, found[worker]);
    };
    if (workers > 1) {
        // Everything captured lives until wait() returns.
        auto group = dispatch::Group::create();
        for (std::size_t worker = 1; worker < workers; ++worker)
            group->async(dispatch::globalQueue(dispatch::Priority::userInteractive), [&work, worker] { work(worker); });
        work(0);
        group->wait();
    } else {
        work(0);
    }
    BestMatches merged(limit);
    for (const auto& worker : found)
        for (const auto& match : worker.matches()) merged.consider(match);
    std::vector<std::size_t> positions;
    for (const auto& match : merged.matches()) positions.push_back(match.index);
    return positions;
}

}  // namespace kestrelvault
