#include "stats/ui/daterange.h"

#include "platform/clock.h"
#include "platform/clock_locale.h"
#include "stats/ui/widget_names.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tw {

TfrmSelectDateRange::TfrmSelectDateRange(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSelectDateRange"));
    setWindowTitle(QStringLiteral("Select Date Range"));
    rbBetween = named(new QRadioButton(QStringLiteral("between")), "rbBetween");
    rbMonths = named(new QRadioButton(QStringLiteral("during the previous")), "rbMonths");
    rbDays = named(new QRadioButton(QStringLiteral("during the previous")), "rbDays");
    rbBetween->setChecked(true);
    const QString format = LocaleFormats::shortDate();
    dtStart = named(new QDateEdit, "dtStart");
    dtStart->setAccessibleName(QStringLiteral("First day"));
    dtEnd = named(new QDateEdit, "dtEnd");
    dtEnd->setAccessibleName(QStringLiteral("Last day"));
    for (QDateEdit *field : {dtStart, dtEnd}) {
        field->setDisplayFormat(format);
        field->setCalendarPopup(true);
        field->setDateRange(QDate(1900, 1, 1), QDate(9999, 12, 31));
    }
    seMonths = named(new QSpinBox, "seMonths");
    seMonths->setAccessibleName(QStringLiteral("Months back"));
    seMonths->setRange(1, 12);
    seDays = named(new QSpinBox, "seDays");
    seDays->setAccessibleName(QStringLiteral("Days back"));
    seDays->setRange(1, 365);
    btOK = named(new QPushButton(QStringLiteral("OK")), "btOK");
    btCancel = named(new QPushButton(QStringLiteral("Cancel")), "btCancel");
    btOK->setDefault(true);

    auto *grid = new QGridLayout;
    grid->addWidget(rbBetween, 0, 0);
    grid->addWidget(dtStart, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("and")), 0, 2);
    grid->addWidget(dtEnd, 0, 3);
    grid->addWidget(rbMonths, 1, 0);
    grid->addWidget(seMonths, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("months")), 1, 2);
    grid->addWidget(rbDays, 2, 0);
    grid->addWidget(seDays, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("days")), 2, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    for (QRadioButton *choice : {rbBetween, rbMonths, rbDays})
        connect(choice, &QRadioButton::clicked, this, &TfrmSelectDateRange::rbDaysClick);
    connect(dtStart, &QDateEdit::editingFinished, this, &TfrmSelectDateRange::dtStartExit);
    connect(btOK, &QPushButton::clicked, this, [this] {
        computeStartEnd();
        accept();
    });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    rbDaysClick();
}

void TfrmSelectDateRange::setDates(const StatsRange &range)
{
    dtStart->setDate(toQDate(range.start));
    dtEnd->setDate(toQDate(range.end));
    m_range = range;
}

DateRangeChoice TfrmSelectDateRange::choice() const
{
    DateRangeChoice c;
    c.choice = rbMonths->isChecked() ? RangeChoice::PreviousMonths
               : rbDays->isChecked() ? RangeChoice::PreviousDays
                                     : RangeChoice::Between;
    c.startField = toTDateTime(dtStart->date());
    // The end date counts whole: its records carry that date at midnight.
    c.endField = toTDateTime(dtEnd->date());
    c.months = seMonths->value();
    c.days = seDays->value();
    return c;
}

void TfrmSelectDateRange::rbDaysClick()
{
    dtStart->setEnabled(rbBetween->isChecked());
    dtEnd->setEnabled(rbBetween->isChecked());
    seMonths->setEnabled(rbMonths->isChecked());
    seDays->setEnabled(rbDays->isChecked());
    computeStartEnd();
}

void TfrmSelectDateRange::dtStartExit()
{
    const TDateTime end = endAfterStartExit(toTDateTime(dtStart->date()), toTDateTime(dtEnd->date()));
    dtEnd->setDate(toQDate(end));
}

void TfrmSelectDateRange::computeStartEnd() { m_range = tw::computeStartEnd(choice(), Clock::now()); }

void TfrmSelectDateRange::showEvent(QShowEvent *event)
{
    computeStartEnd();
    QDialog::showEvent(event);
}

} // namespace tw
