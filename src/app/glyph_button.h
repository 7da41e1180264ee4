#pragma once
// A large toolbar button: its glyph above a caption that wraps onto a second
// line when it is too long for the button's width. The caption keeps its
// "&" mnemonic, so Alt+letter works as on any button.

#include <QToolButton>

namespace tw {

class TGlyphButton : public QToolButton {
    Q_OBJECT
public:
    explicit TGlyphButton(QWidget *parent = nullptr);
    QSize sizeHint() const override;
    // Narrower than the size hint, so all eight buttons fit a small screen
    // (or a large scale factor); the captions still wrap onto three lines.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect textRect() const;
};

} // namespace tw
