#pragma once
// TfrmSplash: the borderless start-up window, the product name above a picture.
// The main window swaps to the second picture when its creation is done and
// removes the splash 1.5 seconds later.

#include <QWidget>

class QLabel;

namespace tw {

class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget *parent = nullptr);
    // Hides the first picture and shows the second one.
    void showSecondPicture();
    bool showingSecondPicture() const;

private:
    QLabel *m_title;
    QLabel *m_picture1;
    QLabel *m_picture2;
};

} // namespace tw
