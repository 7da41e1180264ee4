// Every window, walked as a screen reader sees it: no interactive control
// without a name, every icon-only or self-painted control described, and
// every control reachable with the Tab key.
#include "app/About.h"
#include "app/help_window.h"
#include "app/optRetrieve.h"
#include "app/version.h"
#include "app/vheader.h"
#include "app/which.h"
#include "classify/ui/ascii.h"
#include "classify/ui/header.h"
#include "classify/ui/import.h"
#include "classify/ui/internt.h"
#include "classify/ui/learnfiles.h"
#include "classify/ui/optalway.h"
#include "classify/ui/optfrom.h"
#include "classify/ui/optsubj.h"
#include "classify/ui/qDelete.h"
#include "keep/ui/deleted_mail_window.h"
#include "main_window_fixture.h"
#include "platform/dialup_fake.h"
#include "settings/ui/fileSearch.h"
#include "settings/ui/general.h"
#include "settings/ui/mailSearch.h"
#include "settings/ui/optsmain.h"
#include "stats/ui/chartit.h"
#include "stats/ui/chartmain.h"
#include "stats/ui/daterange.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QMenu>
#include <QTabBar>

using namespace tw;
using namespace tw::test;

namespace {

bool interactive(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::Table:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::PageTab:
    case QAccessible::Link:
        return true;
    default:
        return false;
    }
}

// Parts that a control is made of, which the control itself names: the
// drop-down list of a combo box, the text field of a spin box, the scroll
// buttons of a tab bar, a field's clear button, a view's viewport and
// corner; and the frames that only hold controls (a tab widget, whose tabs
// are checked, and a scrolling page).
bool partOfAnotherControl(const QWidget *widget)
{
    if (widget->inherits("QTableCornerButton") || qobject_cast<const QTabWidget *>(widget) ||
        qobject_cast<const QScrollArea *>(widget))
        return true;
    if (const auto *area = qobject_cast<const QAbstractScrollArea *>(widget->parentWidget()))
        if (area->viewport() == widget)
            return true;
    for (const QWidget *up = widget->parentWidget(); up; up = up->parentWidget())
        if (qobject_cast<const QComboBox *>(up) || qobject_cast<const QAbstractSpinBox *>(up) ||
            qobject_cast<const QTabBar *>(up) || qobject_cast<const QLineEdit *>(up))
            return true;
    return false;
}

std::string described(const QWidget *widget)
{
    return std::string(widget->metaObject()->className()) + " '" + widget->objectName().toStdString() + "' in " +
           widget->window()->metaObject()->className();
}

// What an assistive technology would meet in Window and its children (its
// own drop-down panels and menus included) that it could not announce or a
// keyboard could not reach, one line each.
std::vector<std::string> accessibilityFaults(QWidget *window)
{
    std::vector<std::string> faults;
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : widgets) {
        if (partOfAnotherControl(widget))
            continue;
        if (auto *menu = qobject_cast<QMenu *>(widget)) {
            for (QAction *action : menu->actions())
                if (!action->isSeparator() && action->text().isEmpty())
                    faults.push_back("a menu item without a name in " + described(menu));
            continue;
        }
        QAccessibleInterface *item = QAccessible::queryAccessibleInterface(widget);
        if (!item)
            continue;
        const bool tabbable = widget->focusPolicy() & Qt::TabFocus;
        if (!interactive(item->role()) && !tabbable)
            continue; // a label whose text can be selected with the mouse is no control
        const QString name = item->text(QAccessible::Name).trimmed();
        if (name.isEmpty() || name == QStringLiteral("..."))
            faults.push_back("no name: " + described(widget));
        if (!(widget->focusPolicy() & Qt::TabFocus) && item->role() != QAccessible::PageTab)
            faults.push_back("not reached with Tab: " + described(widget));
        // Painted by the program itself, so a reader learns nothing from its looks.
        if (widget->inherits("tw::TGlyphButton") || widget->inherits("QGraphicsView"))
            if (item->text(QAccessible::Description).trimmed().isEmpty())
                faults.push_back("no description: " + described(widget));
        for (int i = 0; i < item->childCount(); ++i) {
            QAccessibleInterface *child = item->child(i);
            if (child && child->role() == QAccessible::PageTab && child->text(QAccessible::Name).isEmpty())
                faults.push_back("a tab without a name in " + described(widget));
        }
    }
    return faults;
}

#define EXPECT_ACCESSIBLE(window) EXPECT_EQ(accessibilityFaults(window), std::vector<std::string>{})

class AccessibilityTest : public MainWindowTest {};

TEST_F(AccessibilityTest, TheMainWindowItsPanelAndMenus)
{
    storeGeneral([](GeneralSettings &g) { g.SysTray = true; });
    start();
    window->messages.add({"Cheap pills", "s@example.org", "S", "10", "", mark::CheckMark, false});
    window->ListView1->showAll();
    window->enableAllButtons();
    EXPECT_ACCESSIBLE(window.get());
    EXPECT_ACCESSIBLE(progress.get());
    // Each mark picture is read out as what it means.
    const QModelIndex markCell = window->ListView1->model()->index(0, 0);
    EXPECT_EQ(markCell.data(Qt::AccessibleTextRole).toString(), "Check mark: to be deleted. Cheap pills");
    EXPECT_EQ(markCell.data(Qt::AccessibleDescriptionRole).toString(), "Check mark: to be deleted");
}

TEST_F(AccessibilityTest, TheSettingsWindowsAndTheRuleDialogs)
{
    storeGeneral();
    start();
    FakeDialUpService dialUpService;
    TagRas dialUp{dialUpService};
    TfrmGeneral generalWindow(general, spam, dialUp, {});
    EXPECT_ACCESSIBLE(&generalWindow);
    TfrmOptionsMain spamWindow(spam, window->knownSpammers, [] {});
    EXPECT_ACCESSIBLE(&spamWindow);

    TfrmOptionsSubject subject;
    TfrmOptionsFROM sender;
    TfrmHeaders header({"1) ann - server pop.example"});
    TfrmAlwaysAccept always;
    TfrmAscii ascii(2);
    TfrmImportSpam import(false);
    TfrmMarkForDeletion markForDeletion(spam.rules, {});
    TfrmInternet countries;
    TfrmLearnFiles learnFiles(window->learnedFilter);
    for (QWidget *dialog : std::initializer_list<QWidget *>{&subject, &sender, &header, &always, &ascii, &import,
                                                             &markForDeletion, &countries, &learnFiles})
        EXPECT_ACCESSIBLE(dialog);
}

TEST_F(AccessibilityTest, TheSmallWindowsOfTheMainWindow)
{
    storeGeneral();
    start();
    TfrmWhichMailbox which({{1, "ann", "pop.example"}, {2, "bob", "pop.example"}}, 1);
    TfrmViewHeader body(TfrmViewHeader::Mode::Body), headers(TfrmViewHeader::Mode::Headers),
        explanation(TfrmViewHeader::Mode::Explanation);
    TfrmVersionCheck version;
    TfrmAbout about(TfrmAbout::Page::BustASpam);
    TfrmFileSearch fileSearch;
    TfrmMailProgramSearch mailSearch;
    DeletedMailStore store(home.file("deleted"));
    TfrmDeletedMail deletedMail(store, {});
    for (QWidget *dialog : std::initializer_list<QWidget *>{&which, &body, &headers, &explanation, &version, &about,
                                                             &fileSearch, &mailSearch, &deletedMail})
        EXPECT_ACCESSIBLE(dialog);

    home.write("tidewell.hlp", "<html><body><a name=\"General_Settings\">Help</a></body></html>");
    ASSERT_TRUE(showHelp("General_Settings"));
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QStringLiteral("frmHelp")) {
            EXPECT_ACCESSIBLE(top);
        }
    }
}

TEST_F(AccessibilityTest, TheStatisticsWindows)
{
    TfrmChartMain launcher;
    TfrmSelectDateRange range;
    TfrmChart chart{ActivityLogData{}};
    for (QWidget *window : std::initializer_list<QWidget *>{&launcher, &range, &chart})
        EXPECT_ACCESSIBLE(window);
}

} // namespace
