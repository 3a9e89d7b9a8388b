#include "Brimlark/settings/GeneralTab.h"

#include "Brimlark/core/AppState.h"
#include "Brimlark/core/EnumText.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/settings/SettingsChoiceRow.h"
#include "Brimlark/settings/SettingsSliderRow.h"
#include "Brimlark/settings/SettingsToggleRow.h"
#include "launch_at_login/LaunchAtLogin.h"
#include "launch_at_login/Observable.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {

// The slider works in tenths of a second, so the stored value and the text shown always agree.
constexpr int tenthsPerSecond = 10;
constexpr int shortestDelay = 1;
constexpr int longestDelay = 5;

template <typename E> QStringList rawValues() {
    QStringList values;
    for (E value : allCases<E>())
        values.append(rawValue(value));
    return values;
}

template <typename E> int caseIndex(E value) {
    return int(allCases<E>().indexOf(value));
}

} // namespace

GeneralTab::GeneralTab(AppState& appState, QWidget* parent) : QWidget(parent), m_appState(appState) {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(24);
    // Every setting back at its default: the page says why, and where the old file is.
    if (const QString line = appState.setAsideLine(); !line.isEmpty()) {
        auto* setAside = plainLabel(line, BrimlarkTheme::monoMedium11(), BrimlarkTheme::warning(), this);
        setAside->setObjectName(QStringLiteral("setAsideLine"));
        setAside->setWordWrap(true);
        setAside->setTextInteractionFlags(Qt::TextSelectableByMouse);
        page->addWidget(setAside);
    }

    QVBoxLayout* behavior = addSection(page, QStringLiteral("behavior"));
    m_launchAtLogin = new SettingsToggleRow(
        QStringLiteral("launch brimlark at login"),
        QStringLiteral("keep the notch companion ready every time you start your computer."),
        LaunchAtLogin::isEnabled(), this);
    connect(m_launchAtLogin, &QAbstractButton::clicked, this, [this] {
        LaunchAtLogin::setEnabled(!LaunchAtLogin::isEnabled());
        // The entry as it now is: a failed write leaves the switch where it was.
        showLaunchAtLogin();
    });
    connect(&LaunchAtLogin::Observable::instance(), &LaunchAtLogin::Observable::changed, this,
            &GeneralTab::showLaunchAtLogin);
    behavior->addWidget(m_launchAtLogin);

    m_hover =
        new SettingsToggleRow(QStringLiteral("open the notch on hover"),
                              QStringLiteral("hover near the notch and let brimlark wake up on its own."),
                              appState.hoverToPeekEnabled(), this);
    connect(m_hover, &QAbstractButton::clicked, this,
            [this] { m_appState.setHoverToPeekEnabled(!m_appState.hoverToPeekEnabled()); });
    connect(&appState, &AppState::hoverToPeekEnabledChanged, m_hover,
            [this](bool on) { m_hover->setOn(on); });
    behavior->addWidget(m_hover);

    m_delay = new SettingsSliderRow(QStringLiteral("hover open delay"), shortestDelay, longestDelay, this);
    connect(m_delay, &SettingsSliderRow::moved, this,
            [this](int step) { m_appState.setHoverPeekDelay(double(step) / tenthsPerSecond); });
    connect(&appState, &AppState::hoverPeekDelayChanged, this, &GeneralTab::showDelay);
    behavior->addWidget(m_delay);

    m_openMode = new SettingsChoiceRow(QStringLiteral("default open mode"),
                                       rawValues<AppState::DefaultOpenMode>(), this);
    connect(m_openMode, &SettingsChoiceRow::chosen, this, [this](int index) {
        m_appState.setDefaultOpenMode(allCases<AppState::DefaultOpenMode>().at(index));
    });
    connect(&appState, &AppState::defaultOpenModeChanged, m_openMode,
            [this](AppState::DefaultOpenMode mode) { m_openMode->setSelected(caseIndex(mode)); });
    behavior->addWidget(m_openMode);

    m_intensity = new SettingsChoiceRow(QStringLiteral("animation intensity"),
                                        rawValues<AppState::AnimationIntensity>(), this);
    connect(m_intensity, &SettingsChoiceRow::chosen, this, [this](int index) {
        m_appState.setAnimationIntensity(allCases<AppState::AnimationIntensity>().at(index));
    });
    connect(&appState, &AppState::animationIntensityChanged, m_intensity,
            [this](AppState::AnimationIntensity value) { m_intensity->setSelected(caseIndex(value)); });
    behavior->addWidget(m_intensity);

    QVBoxLayout* appearance = addSection(page, QStringLiteral("appearance"));
    m_material = new SettingsToggleRow(QStringLiteral("use translucent material on cards"),
                                       QStringLiteral("adds a softer glass layer to cards and overlays."),
                                       appState.useMaterialCards(), this);
    connect(m_material, &QAbstractButton::clicked, this,
            [this] { m_appState.setUseMaterialCards(!m_appState.useMaterialCards()); });
    connect(&appState, &AppState::useMaterialCardsChanged, m_material,
            [this](bool on) { m_material->setOn(on); });
    appearance->addWidget(m_material);

    QVBoxLayout* automation = addSection(page, QStringLiteral("automation"));
    m_focusCycling =
        new SettingsToggleRow(QStringLiteral("cycle focus when starting a timer"),
                              QStringLiteral("this stays here for now, but focus itself is still cooking."),
                              appState.autoCycleFocusOnTimerStart(), this);
    connect(m_focusCycling, &QAbstractButton::clicked, this,
            [this] { m_appState.setAutoCycleFocusOnTimerStart(!m_appState.autoCycleFocusOnTimerStart()); });
    connect(&appState, &AppState::autoCycleFocusOnTimerStartChanged, m_focusCycling,
            [this](bool on) { m_focusCycling->setOn(on); });
    automation->addWidget(m_focusCycling);

    m_openMode->setSelected(caseIndex(appState.defaultOpenMode()));
    m_intensity->setSelected(caseIndex(appState.animationIntensity()));
    showDelay();
}

QVBoxLayout* GeneralTab::addSection(QVBoxLayout* page, const QString& title) {
    auto* section = new QVBoxLayout();
    section->setSpacing(12);
    section->addWidget(
        plainLabel(title.toLower(), BrimlarkTheme::monoSemibold11(), BrimlarkTheme::textSecondary(), this));
    page->addLayout(section);
    return section;
}

void GeneralTab::showEvent(QShowEvent* event) {
    // The entry can change behind the page's back (removed by hand, another copy of the program).
    showLaunchAtLogin();
    QWidget::showEvent(event);
}

void GeneralTab::showLaunchAtLogin() {
    m_launchAtLogin->setOn(LaunchAtLogin::isEnabled());
}

void GeneralTab::showDelay() {
    const double delay = m_appState.hoverPeekDelay();
    m_delay->setValueText(QString::asprintf("%.1fs", delay));
    m_delay->setPosition(qRound(delay * tenthsPerSecond));
}
