#include "sdk/utilities/ZULAppEnvironmentUtil.hpp"

#include "platform/foundation/ProcessInfo.hpp"
#include "platform/system/Sysctl.hpp"
#include "sdk/utilities/ZULMainImageEncryption.hpp"
#include "tests/sdk/utilities/EnvironmentFixture.hpp"

#include <gtest/gtest.h>
#include <sys/utsname.h>

namespace {

using testsupport::MachOImageBuilder;
using Width = MachOImageBuilder::Width;

bool encrypted(const std::vector<std::vector<std::uint8_t>>& images) {
    std::vector<std::span<const std::uint8_t>> spans(images.begin(), images.end());
    return ZULIsMainImageEncrypted(spans);
}

class AppEnvironment : public testsupport::EnvironmentFixture {};

}  // namespace

TEST(AppEnvironmentVersion, PatchVersionIsWrittenOnlyWhenNotZero) {
    struct Case {
        foundation::OperatingSystemVersion version;
        const char* text;
    };
    for (auto testCase : {Case{{14, 2, 1}, "14.2.1"}, Case{{13, 6, 0}, "13.6"}, Case{{15, 0, 0}, "15.0"},
                          Case{{10, 15, 7}, "10.15.7"}}) {
        foundation::ProcessInfo::setOperatingSystemVersionForTesting(testCase.version);
        EXPECT_EQ(ZULAppEnvironmentUtil::systemVersion(), testCase.text);
    }
}

TEST(MainImageEncryption, TheFirstExecutableImageDecidesByItsEncryptionCommand) {
    auto encrypted64 = MachOImageBuilder(Width::bits64).command(darwin::LC_SEGMENT_64, 72).encryptionInfo(1).build();
    auto plain64 = MachOImageBuilder(Width::bits64).command(darwin::LC_SEGMENT_64, 72).build();
    auto dylibEncrypted =
        MachOImageBuilder(Width::bits64, darwin::MH_DYLIB).encryptionInfo(1).build();
    struct Case {
        const char* name;
        std::vector<std::vector<std::uint8_t>> images;
        bool encrypted;
    };
    std::vector<Case> cases{
        {"64-bit, command 0x2C with a crypt identifier", {encrypted64}, true},
        {"64-bit, command 0x2C with crypt identifier 0", {MachOImageBuilder(Width::bits64).encryptionInfo(0).build()},
         false},
        {"32-bit, command 0x21 with a crypt identifier", {MachOImageBuilder(Width::bits32).encryptionInfo(3).build()},
         true},
        {"32-bit, command 0x21 with crypt identifier 0", {MachOImageBuilder(Width::bits32).encryptionInfo(0).build()},
         false},
        {"64-bit image with only the 32-bit command", {MachOImageBuilder(Width::bits64).encryptionInfoOfOtherWidth(1).build()},
         false},
        {"32-bit image with only the 64-bit command", {MachOImageBuilder(Width::bits32).encryptionInfoOfOtherWidth(1).build()},
         false},
        {"no encryption command", {plain64}, false},
        {"no load commands at all", {MachOImageBuilder(Width::bits64).build()}, false},
        {"no images", {}, false},
        {"a library first, the executable decides", {dylibEncrypted, plain64}, false},
        {"an encrypted executable after a library", {dylibEncrypted, encrypted64}, true},
        {"only libraries", {dylibEncrypted}, false},
        {"the first executable decides, not a later one", {plain64, encrypted64}, false},
    };
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        EXPECT_EQ(encrypted(testCase.images), testCase.encrypted);
    }
}

TEST(MainImageEncryption, MalformedImagesAnswerFalseWithoutReadingPastTheirEnd) {
    auto encrypted64 = MachOImageBuilder(Width::bits64).encryptionInfo(1).build();
    auto truncatedCommand = encrypted64;
    truncatedCommand.resize(truncatedCommand.size() - 8);  // the crypt identifier is cut off
    struct Case {
        const char* name;
        std::vector<std::uint8_t> image;
    };
    std::vector<Case> cases{
        {"header declares more commands than present", MachOImageBuilder(Width::bits64)
                                                           .command(darwin::LC_SEGMENT_64, 72)
                                                           .declaredCommandCount(50)
                                                           .build()},
        {"a command of size zero", MachOImageBuilder(Width::bits64)
                                       .commandWithDeclaredSize(darwin::LC_SEGMENT_64, 0)
                                       .declaredCommandCount(1000)
                                       .build()},
        {"a command larger than the image", MachOImageBuilder(Width::bits64)
                                                .commandWithDeclaredSize(darwin::LC_SEGMENT_64, 0xFFFFFF00)
                                                .encryptionInfo(1)
                                                .build()},
        {"encryption command cut short", truncatedCommand},
        {"shorter than a header", {0xcf, 0xfa, 0xed, 0xfe, 0x07}},
        {"not a Mach-O image", std::vector<std::uint8_t>(64, 0x7f)},
    };
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        EXPECT_FALSE(encrypted({testCase.image}));
    }
}

TEST_F(AppEnvironment, AnEncryptedBuildWithoutSandboxReceiptIsFromTheAppStore) {
    loadMainImage(true);
    EXPECT_TRUE(ZULAppEnvironmentUtil::isFromAppStore());
}

TEST_F(AppEnvironment, ABuildWithoutEncryptionIsNeverFromTheAppStore) {
    loadMainImage(false);
    writeInfoPlist("<key>DoderivoAppStoreReceiptURLCheckEnabled</key><false/>");
    EXPECT_FALSE(ZULAppEnvironmentUtil::isFromAppStore());
}

TEST_F(AppEnvironment, TheReceiptSwitchDecidesWhetherASandboxReceiptCounts) {
    struct Case {
        const char* name;
        const char* infoEntries;
        bool sandbox;
    };
    std::vector<Case> cases{
        {"no switch", "", true},
        {"switch is the number false", "<key>DoderivoAppStoreReceiptURLCheckEnabled</key><false/>", false},
        {"switch is the integer 0", "<key>DoderivoAppStoreReceiptURLCheckEnabled</key><integer>0</integer>", false},
        {"switch is the number true", "<key>DoderivoAppStoreReceiptURLCheckEnabled</key><true/>", true},
        {"switch is a string", "<key>DoderivoAppStoreReceiptURLCheckEnabled</key><string>NO</string>", true},
    };
    loadMainImage(true);
    installSandboxReceipt();
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        writeInfoPlist(testCase.infoEntries);
        EXPECT_EQ(ZULAppEnvironmentUtil::isAppStoreReceiptSandbox(), testCase.sandbox);
        EXPECT_EQ(ZULAppEnvironmentUtil::isFromAppStore(), !testCase.sandbox);
    }
}

TEST_F(AppEnvironment, AProductionReceiptIsNotASandboxReceipt) {
    std::filesystem::create_directories(bundlePath_ / "Contents" / "_MASReceipt");
    std::ofstream(bundlePath_ / "Contents" / "_MASReceipt" / "receipt") << "receipt";
    EXPECT_FALSE(ZULAppEnvironmentUtil::isAppStoreReceiptSandbox());
}

TEST_F(AppEnvironment, TheEncryptionFlagIsComputedOnceAndKept) {
    loadMainImage(true);
    EXPECT_TRUE(ZULAppEnvironmentUtil::isFromAppStore());
    loadMainImage(false);
    EXPECT_TRUE(ZULAppEnvironmentUtil::isFromAppStore());
    ZULAppEnvironmentUtil::resetForTesting();
    EXPECT_FALSE(ZULAppEnvironmentUtil::isFromAppStore());
}

TEST_F(AppEnvironment, DeviceModelComesFromTheHardwareModelElseTheMachine) {
    darwin::setSysctlValueForTesting("hw.model", "Mac14,2");
    EXPECT_EQ(ZULAppEnvironmentUtil::getSysctlEntry("hw.model"), "Mac14,2");
    EXPECT_EQ(ZULAppEnvironmentUtil::deviceModel(), "Mac14,2");
    EXPECT_EQ(ZULAppEnvironmentUtil::deviceSimulatorModel(), "Mac14,2");

    // Kept once computed.
    darwin::setSysctlValueForTesting("hw.model", "Mac15,3");
    EXPECT_EQ(ZULAppEnvironmentUtil::deviceModel(), "Mac14,2");
    EXPECT_EQ(ZULAppEnvironmentUtil::getSysctlEntry("hw.model"), "Mac15,3");

    // A value that is not UTF-8 text reads as none, as a string made from it would be.
    for (auto missing : {std::optional<std::string>(), std::optional<std::string>(""),
                         std::optional<std::string>("Mac\xff\xfe"), std::optional<std::string>("\xc3")}) {
        ZULAppEnvironmentUtil::resetForTesting();
        darwin::setSysctlValueForTesting("hw.model", missing);
        struct utsname systemInfo;
        ASSERT_EQ(uname(&systemInfo), 0);
        EXPECT_EQ(ZULAppEnvironmentUtil::deviceModel(), systemInfo.machine);
        EXPECT_EQ(ZULAppEnvironmentUtil::deviceSimulatorModel(), "");
        if (missing && !missing->empty()) {
            EXPECT_EQ(ZULAppEnvironmentUtil::getSysctlEntry("hw.model"), std::nullopt);
        }
    }
    EXPECT_EQ(ZULAppEnvironmentUtil::getSysctlEntry("no.such.entry"), std::nullopt);
}
