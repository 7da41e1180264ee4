#pragma once
// The dialog that collects pasted or typed lines for a bulk import of
// subject keywords or exception addresses.

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;

namespace tw {

class TfrmImportSpam : public QDialog {
    Q_OBJECT

public:
    // ForAddresses changes the heading to "Import e-mail addresses".
    explicit TfrmImportSpam(bool forAddresses = false, QWidget *parent = nullptr);

    // OK: drops each line equal to the one before it, shows the kept lines
    // and closes.
    void accept() override;
    // The box's lines in order.
    std::vector<std::string> lines() const;

    QLabel *lblHeading;
    QPlainTextEdit *Memo1;
};

} // namespace tw
