#include "Brimlark/kit/SettingsRowLabel.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"

#include <QLabel>

SettingsRowLabel settingsRowLabel(const QString& title, const QString& subtitle, QWidget* parent) {
    SettingsRowLabel label;
    label.title = plainLabel(title, BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), parent);
    label.subtitle =
        plainLabel(subtitle, BrimlarkTheme::monoRegular12(), BrimlarkTheme::textSecondary(), parent);
    // A long subtitle grows the row instead of being cut.
    label.subtitle->setWordWrap(true);
    return label;
}
