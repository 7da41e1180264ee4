// Every window within a small screen: 1920x1080 at 200% leaves 960x540
// points, less a panel. The large windows must be able to shrink that far
// (their pages scroll), and a window larger than the screen, or placed
// beyond it, is brought back when it is shown.
#include "fixtures/temp_home.h"
#include "main_window_fixture.h"
#include "platform/dialup_fake.h"
#include "platform/ui/screen_fit.h"
#include "settings/settings_store.h"
#include "settings/ui/general.h"
#include "settings/ui/optsmain.h"
#include "stats/ui/chartit.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTest>

using namespace tw;
using namespace tw::test;

namespace {

// 960x540 points, less a panel of 40.
const QSize kSmallScreen(960, 500);

void expectFits(QWidget &window, const char *name)
{
    const QSize least = window.minimumSizeHint().expandedTo(window.minimumSize());
    EXPECT_LE(least.width(), kSmallScreen.width()) << name;
    EXPECT_LE(least.height(), kSmallScreen.height()) << name;
}

class ScreenFitTest : public MainWindowTest {};

TEST_F(ScreenFitTest, EveryLargeWindowCanShrinkToASmallScreen)
{
    storeGeneral();
    start();
    expectFits(*window, "main window");

    FakeDialUpService dialUpService;
    TagRas dialUp{dialUpService};
    TfrmGeneral generalWindow(general, spam, dialUp, {});
    expectFits(generalWindow, "general settings");
    TfrmOptionsMain spamWindow(spam, window->knownSpammers, [] {});
    expectFits(spamWindow, "spam settings");
    ActivityLogData data;
    data.mailboxes = {"All mailboxes"};
    TfrmChart chart(data);
    expectFits(chart, "statistics");
}

TEST_F(ScreenFitTest, AWindowLargerThanTheScreenOrBeyondItIsBroughtBack)
{
    storeGeneral();
    saveWindowPlacement({.FormTop = 6000, .FormLeft = 5000, .FormWidth = 4000, .FormHeight = 3000});
    start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QRect available = window->screen()->availableGeometry();
    // A maximum X can hold: unbounded, some window managers stretch a
    // window with a minimum size to the 16-bit limit at a scale above 1.
    EXPECT_LE(window->maximumWidth() * window->devicePixelRatioF(), 32767);
    EXPECT_LE(window->maximumHeight() * window->devicePixelRatioF(), 32767);
    const QRect at = window->geometry();
    EXPECT_TRUE(available.contains(at)) << at.x() << "," << at.y() << " " << at.width() << "x" << at.height()
                                        << " in " << available.width() << "x" << available.height();

    ScreenFitter fitter;
    qApp->installEventFilter(&fitter);
    QDialog dialog;
    dialog.setGeometry(-3000, 4000, available.width() * 2, available.height() * 3);
    dialog.show();
    qApp->removeEventFilter(&fitter);
    EXPECT_TRUE(available.contains(dialog.geometry()));
}

} // namespace
