#include "classify/ui/import.h"

#include "classify/ui/dialog_parts.h"
#include "classify/rule_rows.h"
#include "platform/bytes.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace tw {

TfrmImportSpam::TfrmImportSpam(bool forAddresses, QWidget *parent)
    : QDialog(parent)
    , lblHeading(makeHeading(forAddresses ? QStringLiteral("Import e-mail addresses")
                                          : QStringLiteral("Import spam keywords"),
                             this))
    , Memo1(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("frmImportSpam"));
    setWindowTitle(QStringLiteral("Import new keywords"));
    lblHeading->setObjectName(QStringLiteral("lblHeading"));
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("Words or addresses to import, one a line"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblHeading);
    layout->addWidget(Memo1, 1);
    layout->addWidget(makeNote(
        QStringLiteral("A quick way to enter new SPAM subject keywords is to paste them into the box above or type "
                       "them in.  They should be entered one per line.  This will allow you to quickly expand the "
                       "number of keywords that Tidewell searches for."),
        this));
    layout->addWidget(makeOkCancel(this));
    resize(420, 400);
}

std::vector<std::string> TfrmImportSpam::lines() const
{
    std::vector<std::string> result;
    const QString text = Memo1->toPlainText();
    if (text.isEmpty())
        return result;
    for (const QString &line : text.split(QLatin1Char('\n')))
        result.push_back(fromDisplay(line));
    return result;
}

void TfrmImportSpam::accept()
{
    QString kept;
    const std::vector<std::string> unique = withoutConsecutiveRepeats(lines());
    for (size_t i = 0; i < unique.size(); ++i) {
        if (i > 0)
            kept += QLatin1Char('\n');
        kept += toDisplay(unique[i]);
    }
    Memo1->setPlainText(kept);
    QDialog::accept();
}

} // namespace tw
