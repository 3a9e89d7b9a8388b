#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QString>

// The app batch's buttons, pressed with the kit's button style (scale 0.94, opacity 0.92): a
// label of a symbol and a title, a filled pill, or a symbol alone. The view sets how opaque the
// content is drawn (the launch-all pill is faint while there is nothing to launch; a tile's remove
// button fades in with the tile's hover).
class AppBatchButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Look { label, pill, symbol };

    AppBatchButton(Look look, const QString& title, const QString& symbol, const QColor& color,
                   const QFont& font, const QString& accessibleName, QWidget* parent = nullptr);

    Look look() const { return m_look; }
    qreal contentOpacity() const { return m_contentOpacity; }
    void setContentOpacity(qreal opacity);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look m_look;
    QString m_symbol;
    QColor m_color;
    QFont m_font;
    qreal m_contentOpacity = 1.0;
};
