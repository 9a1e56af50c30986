#include "app/bookmarks/BookmarkList.hpp"

#include "app/bookmarks/BrowserProfile.hpp"

#include <algorithm>
#include <stdexcept>

namespace kestrelvault {

namespace {

constexpr std::size_t capitalBits = 64;
// Offsets into a list's text leave their top bit to the search index.
constexpr std::size_t maximumTextSize = (std::size_t{1} << 31) - 1;

bool isASCII(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

}  // namespace

struct BookmarkList::Part {
    // Consecutive bookmarks of one profile with one folder path.
    struct Run {
        TextRange folderPath;
        std::uint32_t profile;
    };
    // 24 bytes: the URL is stored right after the name. A name kept lower-cased has a bit
    // per capital: here up to 64 bytes, beyond in a bitmap stored right after the URL.
    struct Record {
        static constexpr std::uint32_t capitalsAfterURL = std::uint32_t{1} << 31;  // in urlLength

        std::uint32_t nameOffset, nameLength, urlLength, run;
        std::uint64_t nameCapitals;

        TextRange name() const { return {nameOffset, nameLength}; }
        TextRange url() const { return {nameOffset + nameLength, urlLength & ~capitalsAfterURL}; }
        std::optional<TextRange> capitalBitmap() const {
            if (!(urlLength & capitalsAfterURL)) return std::nullopt;
            return TextRange{url().offset + url().length, (nameLength + 7) / 8};
        }
    };

    std::string_view view(TextRange range) const { return std::string_view(*texts).substr(range.offset, range.length); }
    const Run& runOf(const Record& record) const { return runs[record.run]; }

    std::shared_ptr<std::string> texts = std::make_shared<std::string>();  // shared with filtered copies
    std::vector<Profile> profiles;
    std::vector<Run> runs;
    std::vector<Record> records;
    // Identifiers other than profile identifier, ":" and URL, by record; nullopt for the
    // usual one. Empty while every identifier is the usual one.
    std::vector<std::optional<TextRange>> ids;
};

BookmarkList::Builder::Builder() : part_(std::make_shared<Part>()) {}

void BookmarkList::Builder::reserve(std::size_t textBytes, std::size_t bookmarks) {
    auto& texts = *part_->texts;
    texts.reserve(std::min(texts.size() + textBytes, maximumTextSize));
    part_->records.reserve(part_->records.size() + bookmarks);
}

std::optional<BookmarkList::TextRange> BookmarkList::Builder::store(std::string_view text, Letters letters) {
    auto& texts = *part_->texts;
    if (text.size() > maximumTextSize - texts.size()) return std::nullopt;
    TextRange range{static_cast<std::uint32_t>(texts.size()), static_cast<std::uint32_t>(text.size())};
    texts += text;
    if (letters == Letters::lowerCased)
        for (std::size_t index = range.offset; index < texts.size(); ++index)
            if (texts[index] >= 'A' && texts[index] <= 'Z') texts[index] = static_cast<char>(texts[index] - 'A' + 'a');
    return range;
}

void BookmarkList::Builder::beginProfile(Profile profile) {
    auto& profiles = part_->profiles;
    auto found = std::find(profiles.begin(), profiles.end(), profile);
    profile_ = static_cast<std::size_t>(found - profiles.begin());
    if (found == profiles.end()) profiles.push_back(std::move(profile));
    runOpen_ = false;
}

void BookmarkList::Builder::append(std::string_view name, std::string_view url, std::string_view folderPath) {
    if (part_->profiles.empty()) beginProfile(Profile{});
    // Siblings share their folder path, so consecutive equal paths are stored once.
    auto& runs = part_->runs;
    if (!runOpen_ || part_->view(runs.back().folderPath) != folderPath) {
        auto stored = store(folderPath);
        if (!stored) return;
        runs.push_back(Part::Run{*stored, static_cast<std::uint32_t>(profile_)});
        runOpen_ = true;
    }
    // An ASCII name is kept in its search form, lower-cased, with its capitals noted.
    bool lowerCase = isASCII(name);
    std::uint64_t capitals = 0;
    std::string bitmap;
    for (std::size_t index = 0; lowerCase && index < name.size(); ++index) {
        if (name[index] < 'A' || name[index] > 'Z') continue;
        if (name.size() <= capitalBits) {
            capitals |= std::uint64_t{1} << index;
        } else {
            bitmap.resize((name.size() + 7) / 8);
            bitmap[index / 8] = static_cast<char>(bitmap[index / 8] | 1 << index % 8);
        }
    }
    auto storedName = store(name, lowerCase ? Letters::lowerCased : Letters::asGiven);
    auto storedURL = store(url);
    if (!storedName || !storedURL || (!bitmap.empty() && !store(bitmap))) return;
    std::uint32_t urlLength = storedURL->length | (bitmap.empty() ? 0 : Part::Record::capitalsAfterURL);
    part_->records.push_back(Part::Record{storedName->offset, storedName->length, urlLength,
                                          static_cast<std::uint32_t>(runs.size() - 1), capitals});
    if (!part_->ids.empty()) part_->ids.emplace_back();
}

void BookmarkList::Builder::append(const Bookmark& bookmark) {
    Profile profile{bookmark.browser, bookmark.profileDirectory, bookmark.profileDisplayName,
                    bookmark.profilePicturePath};
    if (part_->profiles.empty() || part_->profiles[profile_] != profile) beginProfile(std::move(profile));
    std::size_t before = part_->records.size();
    append(bookmark.name, bookmark.url, bookmark.folderPath);
    if (part_->records.size() == before ||
        bookmark.id == profileIdentifier(bookmark.browser, bookmark.profileDirectory) + ":" + bookmark.url)
        return;
    auto& ids = part_->ids;
    if (ids.empty()) ids.resize(part_->records.size());
    ids.back() = store(bookmark.id);
}

BookmarkList BookmarkList::Builder::build() {
    BookmarkList list;
    if (!part_->records.empty()) {
        list.ends_.push_back(part_->records.size());
        list.parts_.push_back(std::move(part_));
    }
    part_ = std::make_shared<Part>();
    profile_ = 0;
    runOpen_ = false;
    return list;
}

BookmarkList::BookmarkList(const std::vector<Bookmark>& bookmarks) {
    Builder builder;
    for (const auto& bookmark : bookmarks) builder.append(bookmark);
    *this = builder.build();
}

std::pair<const BookmarkList::Part*, std::size_t> BookmarkList::locate(std::size_t index) const {
    auto part = static_cast<std::size_t>(std::upper_bound(ends_.begin(), ends_.end(), index) - ends_.begin());
    return {parts_[part].get(), index - (part == 0 ? 0 : ends_[part - 1])};
}

Bookmark BookmarkList::operator[](std::size_t index) const {
    auto [part, local] = locate(index);
    const auto& record = part->records[local];
    const auto& run = part->runOf(record);
    const auto& profile = part->profiles[run.profile];
    std::string name(part->view(record.name()));
    auto capitalBitmap = record.capitalBitmap();
    auto bitmap = capitalBitmap ? part->view(*capitalBitmap) : std::string_view();
    for (std::size_t position = 0; position < name.size(); ++position) {
        bool capital = capitalBitmap ? (static_cast<unsigned char>(bitmap[position / 8]) >> position % 8 & 1)
                                     : position < capitalBits && (record.nameCapitals >> position & 1);
        if (capital) name[position] = static_cast<char>(name[position] - 'a' + 'A');
    }
    std::string url(part->view(record.url()));
    std::string id = !part->ids.empty() && part->ids[local]
                         ? std::string(part->view(*part->ids[local]))
                         : profileIdentifier(profile.browser, profile.directory) + ":" + url;
    return Bookmark{std::move(id),
                    std::move(name),
                    std::move(url),
                    std::string(part->view(run.folderPath)),
                    profile.browser,
                    profile.directory,
                    profile.displayName,
                    profile.picturePath};
}

Bookmark BookmarkList::at(std::size_t index) const {
    if (index >= size()) throw std::out_of_range("BookmarkList::at");
    return (*this)[index];
}

BookmarkList::operator std::vector<Bookmark>() const {
    std::vector<Bookmark> bookmarks;
    bookmarks.reserve(size());
    for (std::size_t index = 0; index < size(); ++index) bookmarks.push_back((*this)[index]);
    return bookmarks;
}

BookmarkList::SearchedFields BookmarkList::searchedFields(std::size_t index) const {
    auto [part, local] = locate(index);
    const auto& record = part->records[local];
    return SearchedFields{part->view(record.name()), part->view(record.url()),
                          part->view(part->runOf(record).folderPath)};
}

const BookmarkList::Profile& BookmarkList::profile(std::size_t index) const {
    auto [part, local] = locate(index);
    return part->profiles[part->runOf(part->records[local]).profile];
}

std::string_view BookmarkList::textOf(std::size_t index) const { return *locate(index).first->texts; }

std::shared_ptr<const void> BookmarkList::storageOf(std::size_t index) const { return locate(index).first->texts; }

void BookmarkList::append(const BookmarkList& other) {
    for (std::size_t part = 0; part < other.parts_.size(); ++part) {
        parts_.push_back(other.parts_[part]);
        ends_.push_back(size() + other.parts_[part]->records.size());
    }
}

std::vector<BookmarkList> BookmarkList::builtLists() const {
    std::vector<BookmarkList> lists(parts_.size());
    for (std::size_t part = 0; part < parts_.size(); ++part) {
        lists[part].parts_.push_back(parts_[part]);
        lists[part].ends_.push_back(parts_[part]->records.size());
    }
    return lists;
}

BookmarkList::Weak BookmarkList::weak() const {
    Weak weak;
    weak.parts_.assign(parts_.begin(), parts_.end());
    return weak;
}

std::optional<BookmarkList> BookmarkList::Weak::lock() const {
    BookmarkList list;
    for (const auto& weakPart : parts_) {
        auto part = weakPart.lock();
        if (!part) return std::nullopt;
        list.ends_.push_back(list.size() + part->records.size());
        list.parts_.push_back(std::move(part));
    }
    return list;
}

BookmarkList BookmarkList::keepingOnly(const std::vector<bool>& keep) const {
    BookmarkList kept;
    std::size_t start = 0;
    for (const auto& part : parts_) {
        std::size_t count = part->records.size();
        auto flags = keep.begin() + static_cast<std::ptrdiff_t>(start);
        auto keptCount = static_cast<std::size_t>(std::count(flags, flags + static_cast<std::ptrdiff_t>(count), true));
        if (keptCount == count) {
            kept.parts_.push_back(part);
        } else if (keptCount > 0) {
            auto filtered = std::make_shared<Part>();
            filtered->texts = part->texts;
            filtered->profiles = part->profiles;
            filtered->runs = part->runs;
            filtered->records.reserve(keptCount);
            for (std::size_t local = 0; local < count; ++local) {
                if (!keep[start + local]) continue;
                filtered->records.push_back(part->records[local]);
                if (!part->ids.empty()) filtered->ids.push_back(part->ids[local]);
            }
            kept.parts_.push_back(std::move(filtered));
        }
        if (keptCount > 0) kept.ends_.push_back(kept.size() + keptCount);
        start += count;
    }
    return kept;
}

}  // namespace kestrelvault
