#include "Brimlark/pages/PageIndicator.h"

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QAbstractButton>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <cmath>

namespace {

// The row's height; dots and pill sit on its middle line.
constexpr int rowHeight = 12;
// The pill stands out to the left of the first dot; the row leaves that much room.
constexpr double leadingRoom = 6;

// One dot: invisible itself (the indicator paints the dots) but a button with its hit area.
class PageDot final : public QAbstractButton {
public:
    using QAbstractButton::QAbstractButton;

protected:
    void paintEvent(QPaintEvent*) override {}
    // Checked is the current page, which only the owner changes: a tap reports, the owner decides.
    void nextCheckState() override {}
};

} // namespace

PageIndicator::PageIndicator(QList<AdvancedPage> pages, int current, std::function<void(int)> onTap,
                             double dotSize, double activeWidth, double spacing, QWidget* parent)
    : QWidget(parent), m_pages(std::move(pages)), m_current(current), m_onTap(std::move(onTap)),
      m_dotSize(dotSize), m_activeWidth(activeWidth), m_spacing(spacing), m_shownOffset(pillOffset(current)),
      m_slide(new QVariantAnimation(this)) {
    for (int i = 0; i < m_pages.size(); ++i) {
        auto* dot = new PageDot(this);
        dot->setFocusPolicy(Qt::NoFocus);
        dot->setCursor(Qt::PointingHandCursor);
        dot->setAccessibleName(AdvancedPages::title(m_pages.at(i)));
        // Read as checked for the current page, not checked for the others.
        dot->setCheckable(true);
        connect(dot, &QAbstractButton::clicked, this, [this, i] {
            if (m_onTap)
                m_onTap(i);
        });
        m_dots.append(dot);
    }
    // The pill's slide: an interactive spring of response 0.44 s and damping 0.9.
    m_slide->setDuration(440);
    m_slide->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_slide, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_shownOffset = value.toDouble();
        update();
    });
    setFixedSize(sizeHint());
    layoutDots();
}

QSize PageIndicator::sizeHint() const {
    const double dots = m_pages.size() * m_dotSize + std::max<qsizetype>(m_pages.size() - 1, 0) * m_spacing;
    const double trailing = std::max(0.0, m_activeWidth / 2 - m_dotSize / 2);
    return QSize(static_cast<int>(std::ceil(leadingRoom + dots + trailing + hitSlop)), rowHeight);
}

double PageIndicator::pillOffset(int current) const {
    return (m_spacing + m_dotSize) * current + m_dotSize / 2 - m_activeWidth / 2;
}

QRectF PageIndicator::pillRect() const {
    return QRectF(pillOffset(m_current), (rowHeight - (m_dotSize + 1)) / 2.0, m_activeWidth, m_dotSize + 1);
}

QRectF PageIndicator::shownPillRect() const {
    return QRectF(m_shownOffset, (rowHeight - (m_dotSize + 1)) / 2.0, m_activeWidth, m_dotSize + 1);
}

void PageIndicator::setCurrent(int current) {
    if (current == m_current)
        return;
    m_current = current;
    m_slide->stop();
    m_slide->setStartValue(m_shownOffset);
    m_slide->setEndValue(pillOffset(current));
    m_slide->start();
    for (int i = 0; i < m_dots.size(); ++i) {
        m_dots.at(i)->setChecked(i == m_current);
        m_dots.at(i)->setAccessibleDescription(i == m_current ? QStringLiteral("selected") : QString());
    }
    update();
}

void PageIndicator::layoutDots() {
    for (int i = 0; i < m_dots.size(); ++i) {
        const double x = leadingRoom + (m_spacing + m_dotSize) * i;
        const QRectF dot(x, (rowHeight - m_dotSize) / 2.0, m_dotSize, m_dotSize);
        m_dots.at(i)->setGeometry(dot.adjusted(-hitSlop, -hitSlop, hitSlop, hitSlop).toAlignedRect());
        m_dots.at(i)->setChecked(i == m_current);
        m_dots.at(i)->setAccessibleDescription(i == m_current ? QStringLiteral("selected") : QString());
    }
}

void PageIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(leadingRoom, 0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(BrimlarkTheme::textTertiary());
    for (int i = 0; i < m_pages.size(); ++i) {
        if (i == m_current)
            continue; // the pill stands in its place
        const double x = (m_spacing + m_dotSize) * i;
        painter.drawEllipse(QRectF(x, (rowHeight - m_dotSize) / 2.0, m_dotSize, m_dotSize));
    }
    const QRectF pill = shownPillRect();
    QPainterPath capsule;
    capsule.addRoundedRect(pill, pill.height() / 2, pill.height() / 2);
    painter.fillPath(capsule, BrimlarkTheme::warning());
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    painter.strokePath(capsule, QPen(QBrush(BrimlarkTheme::edgeGradient()), 1));
}
