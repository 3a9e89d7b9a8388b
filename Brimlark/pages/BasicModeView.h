#pragma once

#include "Brimlark/pages/QuickAction.h"

#include <QSizeF>
#include <QWidget>

#include <functional>

class CalendarService;
class CameraMirrorService;
class MediaService;
class QuickActionsStore;
class TimerService;

// The open panel's basic mode. For now a plain page with its title and a way on to the advanced
// pages; the quick-action row and the media, timer and next-event panes fill it later.
class BasicModeView : public QWidget {
    Q_OBJECT
public:
    struct Inputs {
        QuickActionsStore* quickActions = nullptr;
        TimerService* timer = nullptr;
        MediaService* media = nullptr;
        CalendarService* calendar = nullptr;
        CameraMirrorService* mirror = nullptr;
        bool hasPhysicalNotch = false;
        QSizeF notchSize;
        std::function<void()> onAdvancedRequested;
        std::function<void()> onOpenSettings;
        std::function<void(QuickAction::Kind)> onQuickAction;
        std::function<void()> onMediaPlayPause;
        std::function<void()> onMediaNext;
        std::function<void()> onMediaPrev;
    };

    explicit BasicModeView(Inputs inputs, QWidget* parent = nullptr);

    const Inputs& inputs() const { return m_inputs; }

private:
    Inputs m_inputs;
};
