#pragma once

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

class ShortcutsRunner;
class UserDefaults;

// Focus modes and Do Not Disturb, switched by the user's own shortcuts run by name.
class FocusService : public QObject {
    Q_OBJECT
public:
    // The outcome of the last Do Not Disturb toggle.
    struct DNDToggleResult {
        int exitCode = 0;
        QDateTime timestamp;
        bool operator==(const DNDToggleResult& other) const {
            return exitCode == other.exitCode && timestamp == other.timestamp;
        }
    };

    static const QString favoritesKey;
    static const QString toggleFocusName;
    static const QStringList toggleDNDNames;

    // Reads the favourite Focus shortcuts from `defaults` once.
    FocusService(UserDefaults& defaults, ShortcutsRunner& runner, QObject* parent = nullptr);

    // The process-wide service, created on first use.
    static FocusService& shared();

    const QStringList& favorites() const { return m_favorites; }
    int activeIndex() const { return m_activeIndex; }
    const std::optional<DNDToggleResult>& lastDNDToggle() const { return m_lastDNDToggle; }
    bool isTogglingDND() const { return m_isTogglingDND; }

    // Runs the next favourite Focus shortcut, or "Brimlark.ToggleFocus" without favourites. The
    // outcome is not reported; `done` (optional) runs when the shortcut has finished.
    void cycleFocus(std::function<void()> done = {});
    // Runs the Do Not Disturb shortcut under its three names; `done` gets true exactly when one ran.
    void toggleDND(std::function<void(bool ok)> done);

signals:
    void activeIndexChanged(int index);
    void lastDNDToggleChanged();
    void isTogglingDNDChanged(bool toggling);

private:
    ShortcutsRunner& m_runner;
    QStringList m_favorites;
    int m_activeIndex = 0;
    std::optional<DNDToggleResult> m_lastDNDToggle;
    bool m_isTogglingDND = false;
};
