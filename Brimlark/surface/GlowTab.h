#pragma once

#include "Brimlark/core/HaloMode.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class AIHooksService;
class AppState;
class GlowModeRow;
class GlowTriggerRow;
class HaloController;
class QLabel;

// The settings window's glow page: the glow mode, which events may start a glow, and a test glow.
// It edits three settings of the settings model and reads them back whenever they change.
class GlowTab : public QWidget {
    Q_OBJECT
public:
    // `aiHooks` is the hook service whose test event the test glow sends (the shared one in the
    // application).
    GlowTab(AppState& appState, HaloController& halo, AIHooksService& aiHooks, QWidget* parent = nullptr);

    // How long after "test glow now" the test event is sent.
    static constexpr int testEventDelayMs = 100;

    const QList<GlowModeRow*>& modeRows() const { return m_modeRows; }
    GlowTriggerRow* mediaTrigger() const { return m_mediaTrigger; }
    GlowTriggerRow* hooksTrigger() const { return m_hooksTrigger; }
    // The note under the triggers; empty while the triggers are in use.
    QString note() const;

    // Clears a persistent glow, then sends a test hook event shortly after.
    void testGlow();

private:
    void sync();

    AppState& m_appState;
    HaloController& m_halo;
    QPointer<AIHooksService> m_aiHooks;
    QList<GlowModeRow*> m_modeRows;
    GlowTriggerRow* m_mediaTrigger;
    GlowTriggerRow* m_hooksTrigger;
    QLabel* m_note;
};
