#pragma once

#include <QList>
#include <QWidget>

class CameraMirrorService;
class MirrorPlacementRow;

// The settings window's mirror page: where the camera mirror shows, as three rows of which the
// current placement is marked. A click stores the row's placement through the service, whose
// windows follow at once; the page follows the service when the placement changes elsewhere.
class MirrorTab : public QWidget {
    Q_OBJECT
public:
    explicit MirrorTab(CameraMirrorService& service, QWidget* parent = nullptr);

    // In the order inline, popover, detached.
    const QList<MirrorPlacementRow*>& rows() const { return m_rows; }

private:
    void sync();

    CameraMirrorService& m_service;
    QList<MirrorPlacementRow*> m_rows;
};
