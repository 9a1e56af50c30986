#pragma once

#include "tests/support/TemporaryHome.hpp"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// Installs ~/Applications/<name>.app with Contents/Info.plist (bundle identifier, executable
// name) and an executable shell script that records its arguments, one file per launch, in
// ~/launch-records/<name>/. Returns the bundle path.
std::filesystem::path installRecordingApplication(const TemporaryHome& home, const std::string& name,
                                                  const std::string& bundleIdentifier);

// The launches recorded by installRecordingApplication's script, oldest first, each the
// list of arguments it received.
std::vector<std::vector<std::string>> recordedLaunches(const TemporaryHome& home, const std::string& name);

// Writes an application bundle at ~/<name>.app holding the given resources (relative path
// under Contents/Resources to contents) and makes it the main bundle.
std::filesystem::path installMainBundle(const TemporaryHome& home, const std::string& name,
                                        const std::map<std::string, std::string>& resources);

// An XML property list of a dictionary of strings.
std::string stringDictionaryPlist(const std::map<std::string, std::string>& entries);

}  // namespace testsupport
