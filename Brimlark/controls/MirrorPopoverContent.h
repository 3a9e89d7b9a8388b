#pragma once

#include <QWidget>

class CameraMirrorService;

// The mirror's frame in its popover and its own window: a dark rounded card with the picture and a
// "Stop mirror" button in the top right corner. Without a camera the card says so.
class MirrorPopoverContent : public QWidget {
    Q_OBJECT
public:
    explicit MirrorPopoverContent(CameraMirrorService& mirror, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CameraMirrorService& m_mirror;
    QWidget* m_stop;
};
