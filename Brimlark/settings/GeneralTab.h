#pragma once

#include <QWidget>

class AppState;
class QVBoxLayout;
class SettingsChoiceRow;
class SettingsSliderRow;
class SettingsToggleRow;

// The settings window's general page: launch at login, opening on hover and its delay, the
// default open mode, the animation intensity, translucent cards and Focus cycling. Every control
// writes at once; the page keeps no state of its own and follows the settings as they change.
// Launch at login is read from the autostart entry after every write and whenever the page is
// shown, so the switch shows where the entry really is, also after a failed write.
class GeneralTab : public QWidget {
    Q_OBJECT
public:
    explicit GeneralTab(AppState& appState, QWidget* parent = nullptr);

    SettingsToggleRow* launchAtLoginRow() const { return m_launchAtLogin; }
    SettingsToggleRow* hoverRow() const { return m_hover; }
    SettingsSliderRow* delayRow() const { return m_delay; }
    SettingsChoiceRow* openModeRow() const { return m_openMode; }
    SettingsChoiceRow* intensityRow() const { return m_intensity; }
    SettingsToggleRow* materialRow() const { return m_material; }
    SettingsToggleRow* focusCyclingRow() const { return m_focusCycling; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QVBoxLayout* addSection(QVBoxLayout* page, const QString& title);
    void showLaunchAtLogin();
    void showDelay();

    AppState& m_appState;
    SettingsToggleRow* m_launchAtLogin;
    SettingsToggleRow* m_hover;
    SettingsSliderRow* m_delay;
    SettingsChoiceRow* m_openMode;
    SettingsChoiceRow* m_intensity;
    SettingsToggleRow* m_material;
    SettingsToggleRow* m_focusCycling;
};
