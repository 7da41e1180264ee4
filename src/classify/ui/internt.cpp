#include "classify/ui/internt.h"

#include "classify/ui/dialog_parts.h"
#include "classify/rule_rows.h"
#include "platform/bytes.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tw {

TfrmInternet::TfrmInternet(QWidget *parent)
    : QDialog(parent)
    , ListView1(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("frmInternet"));
    setWindowTitle(QStringLiteral("Internet WWW Country Suffixes"));
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(QStringLiteral("Countries and their domains"));
    ListView1->setHeaderLabels({QStringLiteral("Abbreviation"), QStringLiteral("Country")});
    ListView1->setRootIsDecorated(false);
    ListView1->setAllColumnsShowFocus(true);
    for (const std::string &entry : countryEntries()) {
        auto *item = new QTreeWidgetItem(ListView1);
        item->setText(0, toDisplay(entry.substr(0, entry.find('\t'))));
        item->setText(1, toDisplay(countryName(entry)));
    }
    ListView1->header()->resizeSection(0, 100);
    ListView1->setCurrentItem(ListView1->topLevelItem(0));
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ListView1);
    layout->addWidget(makeNote(
        QStringLiteral("You may block e-mail from a particular country by selecting one from the list above."), this));
    layout->addWidget(makeOkCancel(this));
    resize(420, 460);
}

std::string TfrmInternet::suffix() const
{
    const QTreeWidgetItem *item = ListView1->currentItem();
    return item ? "." + fromDisplay(item->text(0)) : std::string();
}

std::string TfrmInternet::country() const
{
    const QTreeWidgetItem *item = ListView1->currentItem();
    return item ? fromDisplay(item->text(1)) : std::string();
}

} // namespace tw
