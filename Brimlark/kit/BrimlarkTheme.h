#pragma once

#include "Brimlark/kit/BrimlarkAnimation.h"
#include "Brimlark/kit/BrimlarkShadow.h"

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QString>

// The one place views take their colours, gradients, shadows, fonts and motion from. Each value is
// built on first use and lives for the rest of the process; fonts need the application object, so
// nothing here may be touched before it exists.
namespace BrimlarkTheme {

const QColor& notchBlack();
const QColor& surface();
const QColor& cardFill();
const QColor& cardFillRaised();
const QColor& surfaceSunken();
const QColor& mutedFill();
const QColor& stroke();
const QColor& strokeStrong();
const QColor& accent();
const QColor& warning();
const QColor& danger();
const QColor& success();
const QColor& textPrimary();
const QColor& textSecondary();
const QColor& textTertiary();
const QColor& black();

// Gradients are in object-bounding coordinates: each stretches over whatever shape it fills.
const QLinearGradient& cardSheen();
const QLinearGradient& cardShade();
const QLinearGradient& panelGradient();
const QLinearGradient& softSheen();
const QLinearGradient& edgeGradient();

const BrimlarkShadow& shadowSoft();

// The system's fixed-width font at `pixelSize` and `weight`.
QFont monoFont(int pixelSize, QFont::Weight weight);
const QFont& monoRegular10();
const QFont& monoMedium10();
const QFont& monoMedium11();
const QFont& monoSemibold11();
const QFont& monoRegular12();
const QFont& monoSemibold12();
const QFont& monoRegular13();
const QFont& monoMedium13();
const QFont& monoSemibold13();
const QFont& monoBold13();
const QFont& monoSemibold16();
const QFont& monoBold20();
const QFont& monoBold34();

const BrimlarkAnimation& openSpring();
const BrimlarkAnimation& pressSpring();
const BrimlarkAnimation& quickEase();
const BrimlarkAnimation& pageSpring();
const BrimlarkAnimation& standardEase();

// The style sheet of a thin vertical scroll bar that shows over the dark cards: a faint handle,
// no arrows, no track.
QString thinScrollBarStyle();

} // namespace BrimlarkTheme
