#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QString>

class QPainter;

// A small round icon button of the panel and its windows: a dark disc with a hairline rim and a
// symbol in the middle. Chevrons and the close cross are drawn as strokes; other symbols come from
// the bundled drawings.
class PanelIconButton : public QAbstractButton {
    Q_OBJECT
public:
    PanelIconButton(const QString& symbol, const QString& accessibleName, int diameter = 26,
                    QWidget* parent = nullptr);

    void setSymbolColor(const QColor& color);
    // How opaque the dark disc is (0.85 unless set).
    void setFillOpacity(double opacity);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    void paintButton(QPainter& painter) const;

    QString m_symbol;
    int m_diameter;
    QColor m_symbolColor;
    double m_fillOpacity = 0.85;
    // The drawing as last painted; null when it must be painted again.
    QImage m_kept;
};
