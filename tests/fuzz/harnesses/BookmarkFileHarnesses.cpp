// The browsers' bookmark files, read by the readers the aggregator owns. Each file is read
// as written, then again after it went through the platform's own reader and writer of its
// format: the readers must find the same bookmarks in both.
#include "tests/fuzz/harnesses/Harness.hpp"
#include "tests/fuzz/harnesses/ScratchFiles.hpp"

#include "app/bookmarks/ChromiumBookmarkProvider.hpp"
#include "app/bookmarks/ChromiumLocalState.hpp"
#include "app/bookmarks/SafariBookmarkProvider.hpp"
#include "platform/foundation/JSONSerialization.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"

#include <algorithm>
#include <tuple>

namespace fuzzing {

namespace {

using kestrelvault::Bookmark;

std::string describe(const std::vector<Bookmark>& bookmarks) {
    std::string text = std::to_string(bookmarks.size()) + " bookmarks";
    for (std::size_t index = 0; index < bookmarks.size() && index < 3; ++index)
        text += " [" + bookmarks[index].name + " | " + bookmarks[index].url + " | " + bookmarks[index].folderPath + "]";
    return text;
}

// Chromium's roots are visited in the parsed object's member order, which a rewrite may
// change; within a root the order is the file's.
std::vector<Bookmark> sorted(std::vector<Bookmark> bookmarks) {
    auto fields = [](const Bookmark& bookmark) {
        return std::tie(bookmark.id, bookmark.name, bookmark.url, bookmark.folderPath, bookmark.profileDirectory,
                        bookmark.profileDisplayName, bookmark.profilePicturePath);
    };
    std::stable_sort(bookmarks.begin(), bookmarks.end(),
                     [&](const Bookmark& left, const Bookmark& right) { return fields(left) < fields(right); });
    return bookmarks;
}

// The document as the platform's JSON writer writes what its reader read; nullopt when the
// reader refuses it (deeper than its limit, say), where nothing is to be compared.
std::optional<std::string> rewrittenJSON(std::string_view input, Finding& finding) {
    std::shared_ptr<foundation::Error> error;
    auto document = foundation::JSONSerialization::JSONObjectWithData(input, foundation::JSONSerialization::none, &error);
    if (!document) {
        if (!error) finding = "JSON refused without an error";
        return std::nullopt;
    }
    auto written = foundation::JSONSerialization::dataWithJSONObject(document, foundation::JSONSerialization::compact, &error);
    if (!written) {
        finding = "JSON read but not written back: " + (error ? error->description() : std::string("no error"));
        return std::nullopt;
    }
    return std::string(written->view());
}

}  // namespace

Finding chromiumBookmarks(std::string_view input) {
    auto base = scratchDirectory() / "Chromium";
    writeScratchFile("Chromium/Default/Bookmarks", input);
    kestrelvault::ChromiumBookmarkProvider reader(kestrelvault::BrowserType::chrome, base);
    auto read = sorted(reader.loadBookmarks());
    Finding finding;
    auto rewritten = rewrittenJSON(input, finding);
    if (!rewritten) return finding;
    writeScratchFile("Chromium/Default/Bookmarks", *rewritten);
    auto again = sorted(reader.loadBookmarks());
    if (again != read) return "rewritten file reads differently: " + describe(read) + " then " + describe(again);
    return std::nullopt;
}

Finding chromiumLocalState(std::string_view input) {
    auto base = scratchDirectory() / "Chromium";
    writeScratchFile("Chromium/Local State", input);
    auto profiles = [&] {
        auto entries = kestrelvault::readChromiumProfileInfo(base);
        std::vector<std::tuple<std::string, std::optional<std::string>, std::optional<std::string>,
                               std::optional<bool>, std::optional<std::string>>>
            flattened;
        for (auto& [directory, info] : entries)
            flattened.emplace_back(directory, info.name, info.gaiaPictureFileName, info.useGaiaPicture, info.avatarIcon);
        std::sort(flattened.begin(), flattened.end());
        return flattened;
    };
    auto read = profiles();
    Finding finding;
    auto rewritten = rewrittenJSON(input, finding);
    if (!rewritten) return finding;
    writeScratchFile("Chromium/Local State", *rewritten);
    if (profiles() != read) return "rewritten Local State reads differently (" + std::to_string(read.size()) + " profiles)";
    return std::nullopt;
}

Finding safariBookmarks(std::string_view input) {
    auto path = writeScratchFile("Safari/Bookmarks.plist", input);
    kestrelvault::SafariBookmarkProvider reader(path);
    std::vector<Bookmark> read = reader.loadBookmarks();
    std::shared_ptr<foundation::Error> error;
    auto list = foundation::PropertyListSerialization::propertyListWithData(input, nullptr, &error);
    // The reader may read past damaged objects of a binary file that the property-list
    // reader refuses whole; what both read, they must read alike.
    if (!list) return error ? Finding() : Finding("property list refused without an error");
    for (auto format : {foundation::PropertyListFormat::binary, foundation::PropertyListFormat::xml}) {
        auto written = foundation::PropertyListSerialization::dataWithPropertyList(list, format, &error);
        if (!written) {
            // The XML form cannot hold every date; every list read can be written in binary.
            if (format == foundation::PropertyListFormat::binary)
                return "read but not written in binary: " + (error ? error->description() : std::string());
            continue;
        }
        writeScratchFile("Safari/Bookmarks.plist", written->view());
        std::vector<Bookmark> again = reader.loadBookmarks();
        if (again != read)
            return std::string(format == foundation::PropertyListFormat::binary ? "binary" : "XML") +
                   " rewrite reads differently: " + describe(read) + " then " + describe(again);
    }
    return std::nullopt;
}

}  // namespace fuzzing
