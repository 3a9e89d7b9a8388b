#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QString>

// The shelf's small buttons: a title and/or a symbol in one colour, optionally on a filled capsule.
// They press with the kit's button style.
class ShelfButton : public QAbstractButton {
    Q_OBJECT
public:
    struct Look {
        QString symbol;
        QColor color;
        QFont font;
        // When set, the button sits on a capsule of this colour, padded 8 by 3.
        QColor capsule;
        qreal pressScale = 0.97;
        qreal pressOpacity = 0.92;
    };

    ShelfButton(const QString& title, const Look& look, const QString& accessibleName,
                QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // Enables the button, or disables it with the reason it cannot be pressed (its tooltip and
    // accessible description).
    void setAvailable(bool available, const QString& reason);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look m_look;
};
