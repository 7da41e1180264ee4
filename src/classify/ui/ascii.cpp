#include "classify/ui/ascii.h"

#include "classify/ui/dialog_parts.h"
#include "classify/non_english.h"

#include <QComboBox>
#include <QVBoxLayout>

namespace tw {

TfrmAscii::TfrmAscii(int range, QWidget *parent)
    : QDialog(parent)
    , cbRange(new QComboBox(this))
{
    setObjectName(QStringLiteral("frmAscii"));
    setWindowTitle(QStringLiteral("Non-English Language Sensitivity"));
    cbRange->setObjectName(QStringLiteral("cbRange"));
    for (const char *item : kSensitivityItems)
        cbRange->addItem(QString::fromLatin1(item));
    cbRange->setCurrentIndex(range >= 0 && range <= 3 ? range : 3);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading(QStringLiteral("Non-English Language Sensitivity"), this));
    layout->addWidget(makeNote(
        QStringLiteral("Standard printable ASCII values for the English language character set are from decimal 32 "
                       "to 128.  If you receive legitimate messages that contain accented characters adjust the "
                       "selection below to avoid marking good e-mail messages as spam."),
        this));
    layout->addWidget(cbRange);
    layout->addWidget(makeOkCancel(this));
    resize(460, sizeHint().height());
}

int TfrmAscii::range() const { return cbRange->currentIndex(); }

} // namespace tw
