#include "app/vheader.h"

#include "platform/bytes.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
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

} // namespace

TfrmViewHeader::TfrmViewHeader(Mode mode, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmViewHeader"));
    setWindowTitle(QStringLiteral("View Selected Headers"));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);

    lblTitle = new QLabel(titleFor(mode), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);

    memoText = new QPlainTextEdit(this);
    memoText->setObjectName(QStringLiteral("memoText"));
    memoText->setReadOnly(true); // what is shown is the message; typing would change nothing
    memoText->setFixedSize(603, 343);
    memoText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoText->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    memoText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btOK->setAutoDefault(true);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(memoText);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
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

void showTextWindow(TfrmViewHeader::Mode mode, const std::vector<std::string> &lines, QWidget *parent)
{
    TfrmViewHeader window(mode, parent);
    window.setLines(lines);
    window.exec();
}

} // namespace tw
