#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

class QPainter;

// A capsule label: tinted text on a faint tint of the same colour, or dark text on a solid tint when
// filled. `material` adds a frosted layer behind an unfilled pill. Views that draw their own
// content can paint the same pill with paint() and size it with sizeFor().
class BrimlarkPill : public QWidget {
    Q_OBJECT
public:
    BrimlarkPill(const QString& label, const QColor& color, bool filled, bool material, const QFont& font,
                 QWidget* parent = nullptr);

    QString label() const { return m_label; }
    QColor color() const { return m_color; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The natural size of a pill: the label on one line plus 10 points each side and 5 above and below.
    static QSizeF sizeFor(const QString& label, const QFont& font);
    // Paints a pill filling `rect`; a label that does not fit is elided. Leaves the painter as it was.
    static void paint(QPainter& painter, const QRectF& rect, const QString& label, const QColor& color,
                      bool filled, bool material, const QFont& font);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_label;
    QColor m_color;
    bool m_filled;
    bool m_material;
    QFont m_font;
};
