#include "Brimlark/kit/BrimlarkTheme.h"

#include <QFontDatabase>

namespace {

QColor rgba(double r, double g, double b, double a = 1.0) {
    return QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b),
                            static_cast<float>(a));
}

QColor white(double a) {
    return rgba(1.0, 1.0, 1.0, a);
}

// Builds a gradient from `start` to `end` (fractions of the filled shape) with evenly spaced stops.
QLinearGradient gradient(QPointF start, QPointF end, std::initializer_list<QColor> colors) {
    QLinearGradient result(start, end);
    result.setCoordinateMode(QGradient::ObjectBoundingMode);
    const qsizetype last = static_cast<qsizetype>(colors.size()) - 1;
    qsizetype i = 0;
    for (const QColor& color : colors)
        result.setColorAt(last > 0 ? static_cast<qreal>(i++) / static_cast<qreal>(last) : 0.0, color);
    return result;
}

const QPointF top(0.5, 0.0);
const QPointF centre(0.5, 0.5);
const QPointF bottom(0.5, 1.0);
const QPointF topLeading(0.0, 0.0);
const QPointF bottomTrailing(1.0, 1.0);

} // namespace

namespace BrimlarkTheme {

// clang-format off
const QColor& notchBlack() { static const QColor c = rgba(0, 0, 0); return c; }
const QColor& surface() { static const QColor c = rgba(0.028, 0.028, 0.032); return c; }
const QColor& cardFill() { static const QColor c = rgba(0.03, 0.03, 0.034); return c; }
const QColor& cardFillRaised() { static const QColor c = rgba(0.042, 0.042, 0.048); return c; }
const QColor& surfaceSunken() { static const QColor c = rgba(0.012, 0.012, 0.016); return c; }
const QColor& mutedFill() { static const QColor c = rgba(0.18, 0.18, 0.22); return c; }
const QColor& stroke() { static const QColor c = white(0.08); return c; }
const QColor& strokeStrong() { static const QColor c = white(0.14); return c; }
const QColor& accent() { static const QColor c = rgba(0, 0.961, 1); return c; }
const QColor& warning() { static const QColor c = rgba(1, 0.541, 0); return c; }
const QColor& danger() { static const QColor c = rgba(1, 0.353, 0.122); return c; }
const QColor& success() { static const QColor c = rgba(0.345, 0.965, 0.522); return c; }
const QColor& textPrimary() { static const QColor c = rgba(0.98, 0.98, 0.98); return c; }
const QColor& textSecondary() { static const QColor c = rgba(0.627, 0.627, 0.69); return c; }
const QColor& textTertiary() { static const QColor c = rgba(0.376, 0.376, 0.439); return c; }
const QColor& black() { static const QColor c = QColor(Qt::black); return c; }
// clang-format on

const QLinearGradient& cardSheen() {
    static const QLinearGradient g = gradient(top, centre, {white(0.26), white(0.08), Qt::transparent});
    return g;
}

const QLinearGradient& cardShade() {
    static const QLinearGradient g =
        gradient(topLeading, bottomTrailing, {rgba(0, 0, 0, 0.26), rgba(0.08, 0.08, 0.1, 0.34)});
    return g;
}

const QLinearGradient& panelGradient() {
    static const QLinearGradient g = gradient(
        bottom, top, {rgba(0, 0, 0), rgba(0, 0, 0), rgba(0.008, 0.008, 0.01), rgba(0.032, 0.032, 0.038)});
    return g;
}

const QLinearGradient& softSheen() {
    static const QLinearGradient g = gradient(top, centre, {white(0.16), white(0.06), Qt::transparent});
    return g;
}

const QLinearGradient& edgeGradient() {
    static const QLinearGradient g = gradient(top, centre, {white(0.08), white(0.14), Qt::transparent});
    return g;
}

const BrimlarkShadow& shadowSoft() {
    static const BrimlarkShadow s{rgba(0, 0, 0, 0.32), 10, 0, 3};
    return s;
}

QFont monoFont(int pixelSize, QFont::Weight weight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

// clang-format off
const QFont& monoRegular10() { static const QFont f = monoFont(10, QFont::Normal); return f; }
const QFont& monoMedium10() { static const QFont f = monoFont(10, QFont::Medium); return f; }
const QFont& monoMedium11() { static const QFont f = monoFont(11, QFont::Medium); return f; }
const QFont& monoSemibold11() { static const QFont f = monoFont(11, QFont::DemiBold); return f; }
const QFont& monoRegular12() { static const QFont f = monoFont(12, QFont::Normal); return f; }
const QFont& monoSemibold12() { static const QFont f = monoFont(12, QFont::DemiBold); return f; }
const QFont& monoRegular13() { static const QFont f = monoFont(13, QFont::Normal); return f; }
const QFont& monoMedium13() { static const QFont f = monoFont(13, QFont::Medium); return f; }
const QFont& monoSemibold13() { static const QFont f = monoFont(13, QFont::DemiBold); return f; }
const QFont& monoBold13() { static const QFont f = monoFont(13, QFont::Bold); return f; }
const QFont& monoSemibold16() { static const QFont f = monoFont(16, QFont::DemiBold); return f; }
const QFont& monoBold20() { static const QFont f = monoFont(20, QFont::Bold); return f; }
const QFont& monoBold34() { static const QFont f = monoFont(34, QFont::Bold); return f; }

const BrimlarkAnimation& openSpring() { static const auto a = BrimlarkAnimation::spring(0.42, 0.8); return a; }
const BrimlarkAnimation& pressSpring() { static const auto a = BrimlarkAnimation::spring(0.18, 0.82); return a; }
const BrimlarkAnimation& quickEase() { static const auto a = BrimlarkAnimation::easeInOut(0.14); return a; }
const BrimlarkAnimation& pageSpring() { static const auto a = BrimlarkAnimation::spring(0.38, 0.82); return a; }
const BrimlarkAnimation& standardEase() { static const auto a = BrimlarkAnimation::easeInOut(0.15); return a; }
// clang-format on

QString thinScrollBarStyle() {
    return QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 6px; margin: 0; }"
        "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 40); border-radius: 3px;"
        " min-height: 24px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }");
}

} // namespace BrimlarkTheme
