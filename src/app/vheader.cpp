#include "app/vheader.h"

#include "platform/bytes.h"
#include "platform/private_files.h"
#include "platform/prompts.h"
#include "platform/store_error.h"
#include "settings/settings_store.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QStandardPaths>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tw {

namespace {

QString captionFor(TfrmViewHeader::Mode mode)
{
    switch (mode) {
    case TfrmViewHeader::Mode::Headers: return QStringLiteral("View Selected Headers");
    case TfrmViewHeader::Mode::Explanation: return QStringLiteral("Why Is This E-mail Marked?");
    case TfrmViewHeader::Mode::Body: break;
    }
    return QStringLiteral("View Message Body");
}

QString titleFor(TfrmViewHeader::Mode mode)
{
    switch (mode) {
    case TfrmViewHeader::Mode::Headers: return QStringLiteral("Contents of selected e-mail headers");
    case TfrmViewHeader::Mode::Explanation: return QStringLiteral("Reasons that e-mail is marked or not marked");
    case TfrmViewHeader::Mode::Body: break;
    }
    return QStringLiteral("Contents of e-mail");
}

// The stored size, kept within the screen the window opens on.
void restoreSize(QWidget &window)
{
    const TextWindowSize stored = readTextWindowSize();
    if (stored.Width <= 0 || stored.Height <= 0)
        return;
    QSize size(stored.Width, stored.Height);
    if (const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    window.resize(size.expandedTo(window.minimumSizeHint()));
}

} // namespace

TfrmViewHeader::TfrmViewHeader(Mode mode, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmViewHeader"));
    setWindowTitle(captionFor(mode));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);

    lblTitle = new QLabel(titleFor(mode), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setTextFormat(Qt::PlainText);
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);

    memoText = new QPlainTextEdit(this);
    memoText->setObjectName(QStringLiteral("memoText"));
    memoText->setAccessibleName(QStringLiteral("Message text"));
    memoText->setReadOnly(true); // what is shown is the message; typing would change nothing
    memoText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A body is read as text: its lines wrap. Header lines are records:
    // each stays one line.
    memoText->setLineWrapMode(mode == Mode::Body ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    memoText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    memoText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    cbSource = new QCheckBox(QStringLiteral("Show HTML source"), this);
    cbSource->setObjectName(QStringLiteral("cbSource"));
    cbSource->hide();
    connect(cbSource, &QCheckBox::toggled, this, &TfrmViewHeader::showMessageText);

    btSaveAttachment = new QPushButton(QStringLiteral("Save attachment..."), this);
    btSaveAttachment->setObjectName(QStringLiteral("btSaveAttachment"));
    btSaveAttachment->setAutoDefault(false);
    btSaveAttachment->hide();

    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btOK->setAutoDefault(true);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cbSource);
    buttons->addWidget(btSaveAttachment);
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(memoText, 1);
    layout->addLayout(buttons);

    // The design size, a text area of 603 by 343 pixels, unless the user
    // has chosen another.
    memoText->setMinimumSize(603, 343);
    adjustSize();
    memoText->setMinimumSize(200, 100);
    restoreSize(*this);
    btOK->setFocus();
}

void TfrmViewHeader::setLines(const std::vector<std::string> &lines)
{
    QStringList shown;
    shown.reserve(qsizetype(lines.size()));
    for (const std::string &line : lines)
        shown << toDisplay(line);
    memoText->setPlainText(shown.join(QLatin1Char('\n')));
    memoText->moveCursor(QTextCursor::Start);
}

void TfrmViewHeader::setMessage(TShownMessage message)
{
    m_message = std::move(message);
    cbSource->setChecked(false);
    cbSource->setVisible(m_message.html);
    showMessageText();
    delete btSaveAttachment->menu();
    btSaveAttachment->setVisible(!m_message.attachments.empty());
    if (m_message.attachments.empty())
        return;
    auto *menu = new QMenu(btSaveAttachment);
    for (size_t i = 0; i < m_message.attachments.size(); ++i) {
        const TShownAttachment &item = m_message.attachments[i];
        const std::string label = (item.name.empty() ? "(no name)" : item.name) + " (" + item.contentType + ", " +
                                  readableSize(item.contents.size()) + ")";
        menu->addAction(QString::fromUtf8(label.data(), qsizetype(label.size())), this, [this, i] { saveAttachment(i); });
    }
    btSaveAttachment->setMenu(menu);
}

void TfrmViewHeader::saveAttachment(size_t i)
{
    if (i >= m_message.attachments.size())
        return;
    const TShownAttachment &item = m_message.attachments[i];
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    const QString suggested = QString::fromUtf8(safeAttachmentFileName(item.name).c_str());
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save attachment"), QDir(folder.isEmpty() ? QDir::homePath() : folder).filePath(suggested));
    if (path.isEmpty())
        return;
    // Saved as a private file, and left alone: an attachment of junk mail is
    // exactly what must not be started by a click.
    std::string why;
    if (!writePrivateFile(fromDisplay(path), item.contents, &why))
        Prompts::current().error("The attachment could not be saved as " + fromDisplay(path) + ": " + why);
}

void TfrmViewHeader::showMessageText()
{
    std::string text = cbSource->isChecked() ? m_message.source : m_message.text;
    if (!m_message.trailer.empty()) {
        text += "\n\n" + m_message.trailer;
        if (text.back() == '\n')
            text.pop_back();
    }
    memoText->setPlainText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    memoText->moveCursor(QTextCursor::Start);
}

void TfrmViewHeader::done(int result)
{
    try {
        saveTextWindowSize({width(), height()});
    } catch (const EStoreError &) {
        // The size is a convenience; a settings file that cannot be written
        // is reported where settings are saved, not each time this closes.
    }
    QDialog::done(result);
}

void showTextWindow(TfrmViewHeader::Mode mode, const std::vector<std::string> &lines, QWidget *parent)
{
    TfrmViewHeader window(mode, parent);
    window.setLines(lines);
    window.exec();
}

void showMessageWindow(TShownMessage message, QWidget *parent)
{
    TfrmViewHeader window(TfrmViewHeader::Mode::Body, parent);
    window.setMessage(std::move(message));
    window.exec();
}

} // namespace tw
