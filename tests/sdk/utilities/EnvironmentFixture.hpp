#pragma once

#include "platform/foundation/Bundle.hpp"
#include "platform/system/LoadedImages.hpp"
#include "sdk/utilities/ZULAppEnvironmentUtil.hpp"
#include "tests/sdk/utilities/MachOImageBuilder.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace testsupport {

// Lays out a main application bundle in the temporary home and sets what the process looks
// like to ZULAppEnvironmentUtil: its loaded images, its Info.plist switches and its receipt.
class EnvironmentFixture : public ::testing::Test {
protected:
    void SetUp() override {
        bundlePath_ = std::filesystem::path(std::getenv("HOME")) / "Applications" / "Kestrelvault.app";
        std::filesystem::remove_all(bundlePath_);
        std::filesystem::create_directories(bundlePath_ / "Contents");
        writeInfoPlist("");
        foundation::Bundle::setMainBundlePathForTesting(bundlePath_);
    }

    // The Info.plist with extra XML entries inside its dictionary.
    void writeInfoPlist(const std::string& entries) {
        std::ofstream(bundlePath_ / "Contents" / "Info.plist")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
               "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
               "<plist version=\"1.0\"><dict>"
               "<key>CFBundleIdentifier</key><string>com.example.kestrelvault</string>"
            << entries << "</dict></plist>\n";
        foundation::Bundle::setMainBundlePathForTesting(bundlePath_);
    }
    void installSandboxReceipt() {
        std::filesystem::create_directories(bundlePath_ / "Contents" / "_MASReceipt");
        std::ofstream(bundlePath_ / "Contents" / "_MASReceipt" / "sandboxReceipt") << "receipt";
    }
    static void loadMainImage(bool encrypted) {
        MachOImageBuilder image(MachOImageBuilder::Width::bits64);
        image.command(darwin::LC_SEGMENT_64, 72);
        if (encrypted) image.encryptionInfo(1);
        darwin::setLoadedImagesForTesting({image.build()});
    }
    // An encrypted build without a sandbox receipt: an App-Store build.
    static void becomeAppStoreBuild() { loadMainImage(true); }

    std::filesystem::path bundlePath_;
};

}  // namespace testsupport
