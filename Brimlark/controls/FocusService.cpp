#include "Brimlark/controls/FocusService.h"

#include "Brimlark/controls/ShortcutsRunner.h"
#include "platform/UserDefaults.h"

#include <QPointer>

const QString FocusService::favoritesKey = QStringLiteral("brimlark.focusFavorites");
const QString FocusService::toggleFocusName = QStringLiteral("Brimlark.ToggleFocus");
const QStringList FocusService::toggleDNDNames = {
    QStringLiteral("Brimlark.ToggleDND"),
    QStringLiteral("Brimlark.ToggleDnD"),
    QStringLiteral("brimlark.togglednd"),
};

FocusService::FocusService(UserDefaults& defaults, ShortcutsRunner& runner, QObject* parent)
    : QObject(parent), m_runner(runner) {
    const QVariant stored = defaults.value(favoritesKey);
    if (stored.typeId() == QMetaType::QVariantList) {
        QStringList names;
        const QVariantList list = stored.toList();
        for (const QVariant& item : list) {
            // One odd element discards the whole list.
            if (item.typeId() != QMetaType::QString)
                return;
            names.append(item.toString());
        }
        m_favorites = names;
    }
}

void FocusService::cycleFocus(std::function<void()> done) {
    QString name = toggleFocusName;
    if (!m_favorites.isEmpty()) {
        m_activeIndex = (m_activeIndex + 1) % m_favorites.size();
        emit activeIndexChanged(m_activeIndex);
        name = m_favorites.at(m_activeIndex);
    }
    m_runner.runShortcut(name, std::nullopt, nullptr, [done](int) {
        if (done)
            done();
    });
}

void FocusService::toggleDND(std::function<void(bool)> done) {
    m_isTogglingDND = true;
    emit isTogglingDNDChanged(true);
    // No context: `done` answers also when the service is gone by then.
    QPointer<FocusService> self(this);
    m_runner.runShortcutCandidates(toggleDNDNames, std::nullopt, nullptr, [self, done](int status) {
        if (self) {
            self->m_isTogglingDND = false;
            emit self->isTogglingDNDChanged(false);
            self->m_lastDNDToggle = DNDToggleResult{status, QDateTime::currentDateTimeUtc()};
            emit self->lastDNDToggleChanged();
        }
        if (done)
            done(status == 0);
    });
}
