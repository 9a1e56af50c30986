#include "tests/support/ApplicationBundles.hpp"

#include "platform/foundation/Bundle.hpp"

#include <algorithm>
#include <sstream>

namespace testsupport {

namespace {

std::string escapeXML(const std::string& text) {
    std::string escaped;
    for (char character : text) {
        switch (character) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            default: escaped += character;
        }
    }
    return escaped;
}

std::string infoPlist(const std::string& name, const std::string& bundleIdentifier) {
    return stringDictionaryPlist(
        {{"CFBundleIdentifier", bundleIdentifier}, {"CFBundleExecutable", name}, {"CFBundleName", name}});
}

}  // namespace

std::string stringDictionaryPlist(const std::map<std::string, std::string>& entries) {
    std::string plist =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n<dict>\n";
    for (const auto& [key, value] : entries)
        plist += "\t<key>" + escapeXML(key) + "</key>\n\t<string>" + escapeXML(value) + "</string>\n";
    return plist + "</dict>\n</plist>\n";
}

std::filesystem::path installRecordingApplication(const TemporaryHome& home, const std::string& name,
                                                  const std::string& bundleIdentifier) {
    auto bundle = std::filesystem::path("Applications") / (name + ".app");
    home.write(bundle / "Contents" / "Info.plist", infoPlist(name, bundleIdentifier));
    // One file per launch, written aside and renamed into place so that launches racing each
    // other never interleave; named by the launch time so that sequential launches sort in
    // order. The arguments are separated by NUL bytes.
    auto executable = home.write(bundle / "Contents" / "MacOS" / name,
                                 "#!/bin/sh\n"
                                 "records=\"$HOME/launch-records/" + name + "\"\n"
                                 "mkdir -p \"$records\"\n"
                                 "for argument in \"$@\"; do printf '%s\\0' \"$argument\"; done > \"$records/.$$\"\n"
                                 "mv \"$records/.$$\" \"$records/$(date +%s%N)-$$\"\n");
    std::filesystem::permissions(executable, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                                 std::filesystem::perms::group_exec);
    return home.path() / bundle;
}

std::vector<std::vector<std::string>> recordedLaunches(const TemporaryHome& home, const std::string& name) {
    std::vector<std::filesystem::path> records;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(home.path() / "launch-records" / name, error))
        if (entry.path().filename().string().front() != '.') records.push_back(entry.path());
    std::sort(records.begin(), records.end());
    std::vector<std::vector<std::string>> launches;
    for (const auto& record : records) {
        auto contents = readFile(record).value_or(std::string());
        std::vector<std::string> arguments;
        std::size_t start = 0;
        for (auto end = contents.find('\0'); end != std::string::npos; end = contents.find('\0', start)) {
            arguments.push_back(contents.substr(start, end - start));
            start = end + 1;
        }
        launches.push_back(std::move(arguments));
    }
    return launches;
}

std::filesystem::path installMainBundle(const TemporaryHome& home, const std::string& name,
                                        const std::map<std::string, std::string>& resources) {
    auto bundle = std::filesystem::path(name + ".app");
    home.write(bundle / "Contents" / "Info.plist", infoPlist(name, "com.kestrelvault.Kestrelvault"));
    std::filesystem::create_directories(home.path() / bundle / "Contents" / "Resources");
    for (const auto& [relative, contents] : resources)
        home.write(bundle / "Contents" / "Resources" / relative, contents);
    foundation::Bundle::setMainBundlePathForTesting(home.path() / bundle);
    return home.path() / bundle;
}

}  // namespace testsupport
