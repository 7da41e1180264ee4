#pragma once
// TfrmSelectDateRange: the statistics window's date range dialog. Three
// choices: between two dates, the previous n months, the previous n days.
// Only the fields of the chosen one are enabled; the range is computed from
// the choice when one is clicked, when the dialog is shown and on OK.

#include "stats/daterange.h"

#include <QDialog>

class QDateEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tw {

class TfrmSelectDateRange : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelectDateRange(QWidget *parent = nullptr);

    // The two date fields take Range (the statistics window's "Date Range").
    void setDates(const StatsRange &range);
    // The range computed at the last click, show or OK.
    StatsRange range() const { return m_range; }
    DateRangeChoice choice() const;

    // --- controls (objectName = member name) ---
    QRadioButton *rbBetween, *rbMonths, *rbDays;
    QDateEdit *dtStart, *dtEnd;
    QSpinBox *seMonths, *seDays;
    QPushButton *btOK, *btCancel;

    void rbDaysClick();
    void dtStartExit();
    void computeStartEnd();

protected:
    void showEvent(QShowEvent *event) override;

private:
    StatsRange m_range;
};

} // namespace tw
