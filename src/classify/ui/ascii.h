#pragma once
// The dialog that chooses how large a share of non-English characters
// marks a message.

#include <QDialog>

class QComboBox;

namespace tw {

class TfrmAscii : public QDialog {
    Q_OBJECT

public:
    // Range: the sensitivity shown at first (0..3; others show 3).
    explicit TfrmAscii(int range, QWidget *parent = nullptr);
    // The chosen sensitivity 0..3.
    int range() const;

    QComboBox *cbRange;
};

} // namespace tw
