#include <gtest/gtest.h>

#include <stdexcept>

#include "Core.h"
#include "SettingsFixture.h"
#include "Translate.h"

namespace {

void ExpectNoCoreObjects() {
    EXPECT_EQ(SWSetup, nullptr);
    EXPECT_EQ(SWSettings, nullptr);
    EXPECT_EQ(Translator, nullptr);
}

TEST_F(SettingsFixture, CoreCreatesTheSingletonsAndClearsThemAgain) {
    ExpectNoCoreObjects();
    {
        TCore core(FStore);
        ASSERT_NE(SWSetup, nullptr);
        ASSERT_NE(SWSettings, nullptr);
        ASSERT_NE(Translator, nullptr);
        EXPECT_EQ(SWSettings->Key(), SWSetup->RegistryKey);
        EXPECT_EQ(SWSettings->Store().Location(), FPath);
        EXPECT_EQ(Translator->Language(), 0);
        EXPECT_GT(Translator->EnglishLast(), 0);  // over the program's own table
    }
    ExpectNoCoreObjects();
}

TEST_F(SettingsFixture, SecondCoreIsRefusedAndLeavesTheFirst) {
    TCore core(FStore);
    TSWSetup* setup = SWSetup;
    EXPECT_THROW(TCore second(FStore), std::logic_error);
    EXPECT_EQ(SWSetup, setup);
    EXPECT_NE(SWSettings, nullptr);
    EXPECT_NE(Translator, nullptr);
}

TEST_F(SettingsFixture, CoreThatCannotReadItsSettingsLeavesNothingBehind) {
    WriteFile("[General]\nNum Recent Files=five\n");
    EXPECT_THROW(TCore core(FStore), ESettingsTypeError);
    ExpectNoCoreObjects();
}

TEST(SetupColours, WindowsColourValuesBecomeQtColours) {
    // 0x00BBGGRR: maroon, red, lime and a dark grey.
    EXPECT_EQ(ToQColor(0x000080), QColor(0x80, 0, 0));
    EXPECT_EQ(ToQColor(0x0000FF), QColor(0xFF, 0, 0));
    EXPECT_EQ(ToQColor(0x00FF00), QColor(0, 0xFF, 0));
    EXPECT_EQ(ToQColor(0x123456), QColor(0x56, 0x34, 0x12));
    const TSWSetup setup;
    EXPECT_EQ(ToQColor(setup.BackgroundLightColor), QColor(Qt::darkRed));
    EXPECT_EQ(ToQColor(setup.GaugeDigitForeColor), QColor(Qt::green));
}

}  // namespace
