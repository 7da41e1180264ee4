#include "app/vheader.h"

#include "platform/bytes.h"
#include "platform/store_error.h"
#include "settings/settings_store.h"

#include <QCheckBox>
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
    setWindowTitle(QStringLiteral("View Selected Headers"));
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

    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btOK->setAutoDefault(true);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cbSource);
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
