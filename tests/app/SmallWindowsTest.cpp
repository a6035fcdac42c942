#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "Aboutform.h"
#include "Baseform.h"
#include "Devicemanager.h"
#include "Gradientpanel.h"
#include "Msgform.h"
#include "Shadowlabel.h"
#include "Splashform.h"
#include "Swsetup.h"
#include "Themegroupbox.h"
#include "Version.h"

namespace {
// A window whose OK handling the test triggers.
class TOkForm : public TFormBase {
public:
    using TFormBase::TFormBase;
    void Ok() { CloseWithOK(); }
};

// Closes the next modal window: with OK when ok is true, else with Cancel.
void CloseSoon(TOkForm& form, bool ok) {
    QTimer::singleShot(0, &form, [&form, ok] { ok ? form.Ok() : form.reject(); });
}

TEST(FormBaseTest, ShowModalResultTellsOkFromCancel) {
    TOkForm form(nullptr);
    CloseSoon(form, false);
    EXPECT_FALSE(form.ShowModalResult());
    CloseSoon(form, true);
    EXPECT_TRUE(form.ShowModalResult());
    CloseSoon(form, false);
    EXPECT_FALSE(form.ShowModalResult());  // the result is reset at every show
}

TEST(FormBaseTest, KeepsACopyOfTheIdentityAndTakesTheTheme) {
    auto id = std::make_unique<TDeviceID>(nullptr, 0x0501, KConnUSB, KDevKindKZD);
    TOkForm form(nullptr, nullptr, nullptr, id.get());
    id.reset();
    ASSERT_NE(form.DeviceID(), nullptr);
    EXPECT_EQ(form.DeviceID()->Kind(), KDevKindKZD);
    EXPECT_EQ(form.DeviceID()->Number(), 0x0501);
    const TSWSetup setup;
    EXPECT_EQ(form.PanelMain()->Fill().StartColor, ToQColor(setup.BackgroundLightColor));
    EXPECT_EQ(form.PanelMain()->Fill().EndColor, ToQColor(setup.BackgroundDarkColor));
    EXPECT_EQ(form.PanelMain()->BevelLightColor(), ToQColor(setup.PanelBevelLightColor));
    EXPECT_EQ(form.PanelMain()->BevelDarkColor(), ToQColor(setup.PanelBevelDarkColor));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
}

TEST(FormBaseTest, LooksUpNoDriverForADeviceThatIsNotConnected) {
    TPlainUIBridge bridge;
    TDevManager manager(bridge, nullptr);
    const TDeviceID id(nullptr, 0x0501, KConnUSB, KDevKindKZD);
    TOkForm form(nullptr, &manager, nullptr, &id);
    CloseSoon(form, true);
    EXPECT_TRUE(form.ShowModalResult());
    EXPECT_EQ(form.Driver(), nullptr);
}

TEST(FormBaseTest, PanelFillsTheWindowCentredOnItsOwner) {
    QWidget owner;
    owner.setGeometry(100, 100, 600, 400);
    owner.show();
    TOkForm form(&owner);
    form.resize(200, 100);
    form.show();
    EXPECT_EQ(form.PanelMain()->geometry(), QRect(0, 0, 200, 100));
    EXPECT_LE((form.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 2);
}

TEST(SplashFormTest, ShowsSplashJpgOfTheFolderOrAnEmptyImage) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    {
        TFormSplash splash(nullptr, folder.path());
        EXPECT_TRUE(splash.Image()->pixmap().isNull());
        EXPECT_EQ(splash.size(), QSize(604, 292));
        EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    }
    QPixmap picture(120, 60);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(folder.filePath(QStringLiteral("Splash.jpg")), "JPG"));
    TFormSplash splash(nullptr, folder.path());
    EXPECT_EQ(splash.Image()->pixmap().size(), QSize(120, 60));
    EXPECT_EQ(splash.Image()->size(), QSize(120, 60));  // sized to its picture
}

TEST(SplashFormTest, AGarbledPictureLeavesTheImageEmpty) {
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("Splash.jpg")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    TFormSplash splash(nullptr, folder.path());
    EXPECT_TRUE(splash.Image()->pixmap().isNull());
}

TEST(MsgFormTest, ShowsItselfWithTheMessageAndTheWholePercent) {
    TFormMsg msg;
    EXPECT_EQ(msg.LabelMsg()->text(), "Status Message");
    EXPECT_EQ(msg.size(), QSize(308, 63));
    EXPECT_FALSE(msg.isVisible());
    msg.SetMessage(QStringLiteral("Receiving Map... [38%]"));
    EXPECT_TRUE(msg.isVisible());
    EXPECT_FALSE(msg.isModal());
    EXPECT_EQ(msg.LabelMsg()->text(), "Receiving Map... [38%]");
    msg.SetProgress(37.6);
    EXPECT_EQ(msg.ProgressBar()->value(), 37);
    EXPECT_EQ(msg.ProgressBar()->text(), "37 %");
}

TEST(MsgFormTest, ProgressOutsideTheBarIsLimited) {
    TFormMsg msg;
    msg.SetProgress(250);
    EXPECT_EQ(msg.ProgressBar()->value(), 100);
    msg.SetProgress(-3);
    EXPECT_EQ(msg.ProgressBar()->value(), 0);
    msg.SetProgress(std::nan(""));
    EXPECT_EQ(msg.ProgressBar()->value(), 0);
    EXPECT_TRUE(msg.isVisible());  // shown by a progress alone as well
}

TEST(AboutFormTest, ShowsTitleVersionAndLogo) {
    QTemporaryDir folder;
    QPixmap logo(320, 95);
    logo.fill(Qt::darkRed);
    ASSERT_TRUE(logo.save(folder.filePath(QStringLiteral("Logo.jpg")), "JPG"));
    TFormAbout about(nullptr, nullptr, nullptr, nullptr, folder.path());
    const TSWSetup setup;
    EXPECT_EQ(about.LabelTitle()->text(), setup.AboutTitle);
    EXPECT_EQ(about.LabelApplication()->text(), "Application");
    EXPECT_EQ(about.GroupBox()->Caption(), "About");
    EXPECT_EQ(about.ButtonClose()->text(), "Close");
    EXPECT_EQ(about.Image()->pixmap().size(), QSize(320, 95));
    EXPECT_EQ(about.LabelAppVersion()->text(), "");
    about.show();
    EXPECT_EQ(about.LabelAppVersion()->text(), QStringLiteral(KZD_FILE_VERSION));
    EXPECT_EQ(about.LabelTitle()->TextColor(), ToQColor(setup.GroupCaptionColor));
    about.ButtonClose()->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_FALSE(about.Result());
}

TEST(AboutFormTest, WithoutLogoTheImageIsEmpty) {
    QTemporaryDir folder;
    TFormAbout about(nullptr, nullptr, nullptr, nullptr, folder.path());
    EXPECT_TRUE(about.Image()->pixmap().isNull());
    EXPECT_EQ(about.DeviceID(), nullptr);
}
}  // namespace
