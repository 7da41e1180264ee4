#include "app/version.h"

#include "app/About.h"
#include "net/errors.h"
#include "platform/bytes.h"
#include "platform/prompts.h"
#include "platform/rtf_text.h"
#include "platform/shell.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tw {
namespace {

// The busy cursor for the life of the object.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

std::vector<std::string> splitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The notes as HTML with every web address a link.
QString notesHtml(const QString &text)
{
    static const QRegularExpression address(QStringLiteral(R"((https?://|www\.)[^\s<>"]*[^\s<>".,;:!?)])"));
    QString html;
    qsizetype at = 0;
    for (auto match = address.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        html += text.mid(at, found.capturedStart() - at).toHtmlEscaped();
        QString target = found.captured();
        if (target.startsWith(QStringLiteral("www.")))
            target.prepend(QStringLiteral("http://"));
        html += QStringLiteral("<a href=\"%1\">%2</a>").arg(target.toHtmlEscaped(), found.captured().toHtmlEscaped());
        at = found.capturedEnd();
    }
    html += text.mid(at).toHtmlEscaped();
    html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return html;
}

} // namespace

TfrmVersionCheck::TfrmVersionCheck(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmVersionCheck"));
    setWindowTitle(QStringLiteral("Version Check"));
    const QByteArray site = qgetenv("TIDEWELL_UPDATE_SITE");
    SiteAddress = site.isEmpty() ? kMakerWebAddress : site.toStdString();
    if (SiteAddress.empty() || SiteAddress.back() != '/')
        SiteAddress += '/';

    lblTitle = new QLabel(QStringLiteral("Version Check for Tidewell"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    lblTitle->setFont(titleFont);
    lblTitle->setAlignment(Qt::AlignCenter);

    pages = new QStackedWidget(this);
    pages->setObjectName(QStringLiteral("pages"));
    pnlIntro = new QLabel(QStringLiteral("Check to see if you have the latest version and also check for news about "
                                         "Tidewell.  For this to work properly you need to have a live connection "
                                         "to the Internet."),
                          pages);
    pnlIntro->setObjectName(QStringLiteral("pnlIntro"));
    pnlIntro->setWordWrap(true);
    pnlIntro->setAlignment(Qt::AlignCenter);
    pnlIntro->setMargin(24);
    pnlIntro->setFrameShape(QFrame::StyledPanel);
    RichEdit1 = new QTextBrowser(pages);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAccessibleName(QStringLiteral("Version check result"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setOpenLinks(false);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pages->addWidget(RichEdit1);
    pages->addWidget(pnlIntro);

    btCheck = new QPushButton(QStringLiteral("Check version now"), this);
    btCheck->setObjectName(QStringLiteral("btCheck"));
    btUpdate = new QPushButton(QStringLiteral("Goto update page"), this);
    btUpdate->setObjectName(QStringLiteral("btUpdate"));
    btUpdate->setEnabled(false);
    btClose = new QPushButton(QStringLiteral("Close"), this);
    btClose->setObjectName(QStringLiteral("btClose"));
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btCheck);
    buttons->addWidget(btUpdate);
    buttons->addStretch();
    buttons->addWidget(btClose);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 0);
    layout->addWidget(lblTitle);
    layout->addWidget(pages, 1);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar1);
    setFixedSize(452, 361);

    connect(btCheck, &QPushButton::clicked, this, &TfrmVersionCheck::btCheckClick);
    connect(btUpdate, &QPushButton::clicked, this, &TfrmVersionCheck::btUpdateClick);
    connect(btClose, &QPushButton::clicked, this, &TfrmVersionCheck::btCloseClick);
    connect(RichEdit1, &QTextBrowser::anchorClicked, this, [](const QUrl &url) {
        if (!Shell::current().openUrl(url.toString().toStdString()))
            Prompts::current().error("Couldn't open web browser for home page");
    });

    agHTTP1.OnOpen = [this](QObject *) { setStatus("Opening website"); };
    agHTTP1.OnProgress = [this](QObject *, int, int) { setStatus("Transferring version information"); };
    agHTTP1.OnError = [this](QObject *, std::string &message) { setStatus("Error : " + message); };
}

void TfrmVersionCheck::showEvent(QShowEvent *event)
{
    FormShow();
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    QDialog::showEvent(event);
}

void TfrmVersionCheck::FormShow() { pages->setCurrentWidget(pnlIntro); }

void TfrmVersionCheck::setStatus(const std::string &text) { StatusBar1->showMessage(toDisplay(text)); }

void TfrmVersionCheck::btCheckClick()
{
    pages->setCurrentWidget(RichEdit1);
    btCheck->setEnabled(false); // no second check inside the first one's wait
    m_checking = true;
    {
        BusyCursor busy;
        CheckTheVersion();
    }
    m_checking = false;
    if (!btUpdate->isEnabled() && !m_closing)
        btCheck->setEnabled(true);
}

std::string TfrmVersionCheck::fetch(const std::string &file, long long maxBytes)
{
    agHTTP1.SetURL(SiteAddress + file);
    agHTTP1.MaxBodyBytes = maxBytes;
    const int status = agHTTP1.Get();
    if (status < 200 || status > 299) {
        const TmsHeaders &headers = agHTTP1.ResponseHeaders();
        const std::string answer = headers.Count() > 0 ? std::string(headers.Strings(0)) : "no answer";
        setStatus("Error : " + answer);
        throw ETidewellError("The web site answered: " + answer);
    }
    return agHTTP1.Body();
}

void TfrmVersionCheck::CheckTheVersion()
{
    try {
        VersionLines = splitLines(fetch("ver.txt", MaxVersionBytes));
    } catch (const std::exception &) {
        if (!m_closing)
            Prompts::current().error("Could not establish connection to internet.");
        return;
    }
    if (VersionLines.empty() || VersionLines.front().empty()) {
        setStatus("Error : the version document is empty");
        Prompts::current().error("Could not establish connection to internet.");
        return;
    }
    try {
        showNotes(fetch("note.rtf", MaxNotesBytes));
    } catch (const std::exception &error) {
        if (!m_closing)
            Prompts::current().error(error.what());
        return;
    }
    const std::string &latest = VersionLines[0];
    const std::string updated = VersionLines.size() > 1 ? VersionLines[1] : "an unknown date";
    if (latest != kVersionText) {
        Prompts::current().warning("Your version is out of date, the latest version is " + latest +
                                   " last updated on " + updated);
        setStatus("Out of date!  Last version was on " + updated);
        lblTitle->setText(QStringLiteral("Out of date!"));
    } else {
        const std::string text = "You have the latest version - " + latest;
        setStatus(text);
        Prompts::current().information(text);
    }
    btUpdate->setEnabled(true);
    btCheck->setEnabled(false);
}

void TfrmVersionCheck::showNotes(const std::string &notes)
{
    RichEdit1->setHtml(notesHtml(toDisplay(rtfToText(notes))));
}

void TfrmVersionCheck::btUpdateClick()
{
    if (!Shell::current().openUrl(SiteAddress + "update.htm"))
        Prompts::current().error("Couldn't open web browser for home page");
}

void TfrmVersionCheck::done(int result)
{
    if (m_checking && !m_closing) {
        // A check is waiting for the network: end it before the window goes.
        m_closing = true;
        agHTTP1.Cancel();
    }
    QDialog::done(result);
}

} // namespace tw
