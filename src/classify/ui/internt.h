#pragma once
// The country picker: the internet country suffixes, for rules that block
// mail from one country.

#include <QDialog>

#include <string>

class QTreeWidget;

namespace tw {

class TfrmInternet : public QDialog {
    Q_OBJECT

public:
    explicit TfrmInternet(QWidget *parent = nullptr);

    // The picked entry's suffix (".DE") and country name; "" with no entry.
    std::string suffix() const;
    std::string country() const;

    QTreeWidget *ListView1; // one entry per country, the first selected
};

} // namespace tw
