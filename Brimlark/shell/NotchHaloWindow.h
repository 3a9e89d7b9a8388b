#pragma once

#include <QPointer>
#include <QWidget>

class DesktopWindows;
class NotchHalo;

// The glow's own window, kept over the notch panel: the panel's frame grown by the glow's margin,
// borderless and clear but for the line, letting every click through to what lies under it, never
// taking the keyboard, and an accessory of the desktop as the panel is. It is on screen only while
// a glow is on show and the panel is. Without a compositor the window is cut to the line's pixels
// and the line is drawn without soft edges, so nothing of the clear window shows black.
class NotchHaloWindow : public QWidget {
    Q_OBJECT
public:
    // Takes `halo` in; `desktopWindows` may be empty (no roles, no shapes).
    NotchHaloWindow(NotchHalo* halo, DesktopWindows* desktopWindows);

    // Follows the panel: its frame, its opacity, whether it is on screen.
    void followFrame(const QRect& panelFrame);
    void followOpacity(qreal opacity);
    void followShown(bool shown);
    // Lays the line out again: the panel moved to a screen with or without a physical notch.
    void relayout();
    // Raises the window over the panel, when it is on screen.
    void raiseOverPanel();

signals:
    // The window was raised over the panel: the program's own windows that stay over the panel
    // (the settings) are raised again after it.
    void raised();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateShown();
    void updateShape();

    NotchHalo* m_halo;
    QPointer<DesktopWindows> m_desktopWindows;
    bool m_panelShown = false;
};
