#include "Brimlark/settings/AboutTab.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"

#include <QLabel>
#include <QVBoxLayout>

// The build defines both; a build without them (or outside a checkout, for the build number)
// shows them as missing.
#ifndef BRIMLARK_VERSION
#define BRIMLARK_VERSION ""
#endif
#ifndef BRIMLARK_BUILD
#define BRIMLARK_BUILD ""
#endif

QString AboutTab::builtVersion() {
    return QStringLiteral(BRIMLARK_VERSION);
}

QString AboutTab::builtBuild() {
    return QStringLiteral(BRIMLARK_BUILD);
}

AboutTab::AboutTab(const QString& version, const QString& build, QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(plainLabel(QStringLiteral("Brimlark"), BrimlarkTheme::monoSemibold16(),
                                 BrimlarkTheme::textPrimary(), this));
    m_version = plainLabel(versionLine(version, build), BrimlarkTheme::monoMedium11(),
                           BrimlarkTheme::textSecondary(), this);
    column->addWidget(m_version);
    QLabel* description = plainLabel(
        QStringLiteral("Your notch buddy for calendar peeks, reminders, mirror checks, quick muting, focus "
                       "moves, app launches, and playful coding-tool pings."),
        BrimlarkTheme::monoRegular13(), BrimlarkTheme::textPrimary(), this);
    description->setWordWrap(true);
    column->addWidget(description);
    column->addStretch(1);
}

QString AboutTab::versionLine(const QString& version, const QString& build) {
    const auto shown = [](const QString& value) {
        const QString trimmed = value.trimmed();
        return trimmed.isEmpty() ? QStringLiteral("?") : trimmed;
    };
    return QStringLiteral("v%1 (build %2)").arg(shown(version), shown(build));
}

QString AboutTab::versionText() const {
    return m_version->text();
}
