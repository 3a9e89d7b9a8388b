#include "Brimlark/settings/onboarding/ShortcutToken.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/ColorBlend.h"

#include <QBrush>
#include <QLinearGradient>
#include <QRectF>

QString ShortcutToken::label() const {
    switch (kind) {
    case Kind::command:
        return QStringLiteral("Super");
    case Kind::shift:
        return QStringLiteral("Shift");
    case Kind::option:
        return QStringLiteral("Alt");
    case Kind::character:
    case Kind::text:
        break;
    }
    return string;
}

QBrush ShortcutToken::fill(const QRectF& rect) const {
    switch (kind) {
    case Kind::command:
        return ColorBlend::faded(BrimlarkTheme::accent(), 0.18);
    case Kind::shift:
    case Kind::option:
        return ColorBlend::faded(BrimlarkTheme::warning(), 0.18);
    case Kind::character: {
        QLinearGradient gradient(rect.topLeft(), rect.topRight());
        gradient.setColorAt(0, ColorBlend::faded(BrimlarkTheme::accent(), 0.22));
        gradient.setColorAt(1, ColorBlend::faded(BrimlarkTheme::warning(), 0.24));
        return gradient;
    }
    case Kind::text:
        break;
    }
    return BrimlarkTheme::surface();
}

QColor ShortcutToken::stroke() const {
    switch (kind) {
    case Kind::command:
        return BrimlarkTheme::accent();
    case Kind::shift:
    case Kind::option:
        return BrimlarkTheme::warning();
    case Kind::character:
    case Kind::text:
        break;
    }
    return BrimlarkTheme::strokeStrong();
}
