#include "Brimlark/settings/onboarding/ShortcutVisual.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

// One key cap: its label in bold 13 inside a rounded rectangle filled and rimmed by its token.
class KeyCap : public QWidget {
public:
    KeyCap(const ShortcutToken& token, QWidget* parent) : QWidget(parent), m_token(token) {
        setObjectName(QStringLiteral("keyCap"));
        setAccessibleName(token.label());
        setFont(BrimlarkTheme::monoBold13());
        const QFontMetricsF metrics(font());
        setFixedSize(qCeil(metrics.horizontalAdvance(token.label()) + 2 * 12),
                     qCeil(metrics.height() + 2 * 7));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        const QRectF edge = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        const qreal radius = qMin(16.0, edge.height() / 2);
        QPainterPath shape;
        shape.addRoundedRect(edge, radius, radius);
        painter.fillPath(shape, m_token.fill(edge));
        painter.setPen(QPen(m_token.stroke(), 1.0));
        painter.drawPath(shape);
        painter.setPen(BrimlarkTheme::textPrimary());
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, m_token.label());
    }

private:
    ShortcutToken m_token;
};

} // namespace

ShortcutVisual::ShortcutVisual(const QList<ShortcutToken>& tokens, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    // The caps sit close around their plus, so the row reads as the combination is written.
    row->setSpacing(2);
    QStringList labels;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        row->addWidget(new KeyCap(tokens.at(i), this), 0, Qt::AlignVCenter);
        labels << tokens.at(i).label();
        if (i == tokens.size() - 1)
            break;
        QLabel* plus =
            plainLabel(QStringLiteral("+"), BrimlarkTheme::monoBold13(), BrimlarkTheme::textTertiary(), this);
        plus->setObjectName(QStringLiteral("plus"));
        row->addWidget(plus, 0, Qt::AlignVCenter);
    }
    setAccessibleName(labels.join(QLatin1Char('+')));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}
