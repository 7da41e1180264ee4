// Text from a server, a message or a file is shown as written: a server's
// reply that holds markup never becomes rich text or a link.
#include "dialog_driver.h"
#include "main_window_fixture.h"
#include "platform/ui/plain_text.h"
#include "platform/ui/widget_prompts.h"

#include <QLabel>
#include <QMessageBox>
#include <QTextDocument>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kMarkup = "<a href=\"http://evil.example/\">Click here</a> to <b>restore</b> your account";

// Installs the desktop's own prompts for the life of the object, so that the
// real message boxes open.
struct DesktopPrompts {
    WidgetPrompts prompts;
    Prompts &replaced;
    DesktopPrompts() : replaced(Prompts::current()) { Prompts::install(&prompts); }
    ~DesktopPrompts() { Prompts::install(&replaced); }
};

// What a message box showed, read as it opened.
struct Box {
    bool opened = false;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
};

std::shared_ptr<Box> readNextBox()
{
    auto box = std::make_shared<Box>();
    onNextDialog<QMessageBox>([box](QMessageBox &shown) {
        box->opened = true;
        const auto *label = shown.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        box->text = label ? label->text() : QString();
        box->format = label ? label->textFormat() : Qt::AutoText;
        shown.accept();
    });
    return box;
}

class PlainTextTest : public MainWindowTest {};

TEST_F(PlainTextTest, ALoginReplyWithMarkupIsShownAsWritten)
{
    FakeTcpServer server;
    scriptUpToPassword(server);
    server.sendLine("-ERR " + kMarkup);
    storeMailbox(1, server.hostAndPort(), "ann", "pw");
    storeGeneral();
    start();
    DesktopPrompts desktop;
    const auto box = readNextBox();

    window->btListClick();

    ASSERT_TRUE(box->opened);
    EXPECT_EQ(box->format, Qt::PlainText);
    EXPECT_TRUE(box->text.contains(QString::fromStdString(kMarkup))) << box->text.toStdString();
    // The status line and the progress window show server text as plain text too.
    for (QLabel *label : {window->StatusPanel2, window->lblTitle, progress->lblTitle, progress->lblMessage,
                          progress->pnlServer, progress->pnlMailbox})
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
}

TEST(PlainToolTip, ShowsTheTextAsWritten)
{
    // A tooltip is read as rich text exactly when Qt takes it for such.
    for (const QString &text : {QString::fromStdString(kMarkup), QStringLiteral("<b>bold</b>\n  two lines"),
                                QStringLiteral("&lt;b&gt; written out"), QStringLiteral("a &amp; b"),
                                QStringLiteral("Tidewell - next check in 10 minutes")}) {
        const QString tip = plainToolTip(text);
        QTextDocument shown;
        if (Qt::mightBeRichText(tip))
            shown.setHtml(tip);
        else
            shown.setPlainText(tip);
        EXPECT_EQ(shown.toPlainText(), text);
    }
    EXPECT_EQ(plainToolTip(QStringLiteral("plain")), QStringLiteral("plain"));
}

} // namespace
