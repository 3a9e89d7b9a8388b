#include "Brimlark/apps/AppLauncherView.h"

#include "Brimlark/apps/AppBatchButton.h"
#include "Brimlark/apps/AppGridTile.h"
#include "Brimlark/apps/AppIcon.h"
#include "Brimlark/apps/AppLauncherService.h"
#include "Brimlark/kit/BrimlarkCard.h"
#include "Brimlark/kit/BrimlarkStatusBadge.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/LineClampLabel.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SaveFailureLine.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int columnMinimum = 78;
constexpr int columnMaximum = 98;
constexpr int gridSpacing = 8;

QScrollArea* bareScrollArea(QWidget* content, QWidget* parent) {
    auto* scroll = new QScrollArea(parent);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setStyleSheet(QStringLiteral("background: transparent;"));
    scroll->setWidget(content);
    return scroll;
}

// The empty state's badge: the grid symbol on a faint warning square.
QPixmap emptyBadge(qreal devicePixelRatio) {
    constexpr int side = 56;
    QPixmap canvas(QSize(side, side) * devicePixelRatio);
    canvas.setDevicePixelRatio(devicePixelRatio);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = BrimlarkTheme::warning();
    fill.setAlphaF(0.1f);
    QPainterPath square;
    square.addRoundedRect(QRectF(0, 0, side, side), 14, 14);
    painter.fillPath(square, fill);
    paintSymbol(painter, QRectF(16, 16, 24, 24), QStringLiteral("square.grid.2x2.fill"),
                BrimlarkTheme::warning());
    return canvas;
}

} // namespace

QString AppLauncherView::saveLine() const {
    return m_saveLine->text();
}

AppLauncherView::AppLauncherView(AppLauncherService& service, QWidget* parent)
    : QWidget(parent), m_service(service) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    auto* header = new QHBoxLayout;
    header->addWidget(plainLabel(QStringLiteral("app batch"), BrimlarkTheme::monoSemibold11(),
                                 BrimlarkTheme::textSecondary(), this));
    header->addStretch(1);
    m_add = new AppBatchButton(AppBatchButton::Look::label, QStringLiteral("add app"), QStringLiteral("plus"),
                               BrimlarkTheme::warning(), BrimlarkTheme::monoMedium13(),
                               QStringLiteral("Add app to batch"), this);
    connect(m_add, &QAbstractButton::clicked, &m_service, &AppLauncherService::chooseApp);
    header->addWidget(m_add);
    m_launchAll = new AppBatchButton(AppBatchButton::Look::pill, QStringLiteral("launch all"), QString(),
                                     BrimlarkTheme::warning(), BrimlarkTheme::monoMedium13(),
                                     QStringLiteral("Launch all apps"), this);
    // Returns at once: the launches run on while the click ends.
    connect(m_launchAll, &QAbstractButton::clicked, &m_service, &AppLauncherService::launchAll,
            Qt::QueuedConnection);
    header->addWidget(m_launchAll);
    layout->addLayout(header);

    m_saveLine = new SaveFailureLine(QStringLiteral("the app batch"), this);
    layout->addWidget(m_saveLine);
    connect(&m_service, &AppLauncherService::saveErrorChanged, m_saveLine,
            [this](const QString& error) { m_saveLine->setError(error); });
    m_saveLine->setError(m_service.saveError());

    m_empty = new QWidget(this);
    auto* empty = new QVBoxLayout(m_empty);
    empty->setContentsMargins(24, 0, 24, 0);
    empty->setSpacing(8);
    empty->addStretch(1);
    auto* badge = new QLabel(m_empty);
    badge->setPixmap(emptyBadge(devicePixelRatioF()));
    empty->addWidget(badge, 0, Qt::AlignHCenter);
    empty->addWidget(plainLabel(QStringLiteral("build a one-tap launch group"),
                                BrimlarkTheme::monoSemibold13(), BrimlarkTheme::textPrimary(), m_empty),
                     0, Qt::AlignHCenter);
    auto* hint =
        plainLabel(QStringLiteral("pick apps from %1 and they\u2019ll all open together when you tap "
                                  "the app-batch quick action.")
                       .arg(AppLauncherService::applicationsFolder()),
                   BrimlarkTheme::monoRegular12(), BrimlarkTheme::textSecondary(), m_empty);
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignHCenter);
    empty->addWidget(hint);
    empty->addStretch(1);
    layout->addWidget(m_empty, 1);

    auto* list = new QWidget;
    m_rows = new QVBoxLayout(list);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(4);
    m_listScroll = bareScrollArea(list, this);
    layout->addWidget(m_listScroll, 1);

    m_grid = new QWidget;
    m_gridScroll = bareScrollArea(m_grid, this);
    m_gridScroll->viewport()->installEventFilter(this);
    layout->addWidget(m_gridScroll, 1);

    connect(&m_service, &AppLauncherService::entriesChanged, this, &AppLauncherView::rebuild);
    connect(&m_service, &AppLauncherService::lastResultsChanged, this, &AppLauncherView::rebuild);
    connect(&m_service, &AppLauncherService::isLaunchingChanged, this, &AppLauncherView::updateLaunchAll);
    rebuild();
}

void AppLauncherView::updateLaunchAll() {
    const bool empty = m_service.entries().isEmpty();
    m_launchAll->setEnabled(!empty && !m_service.isLaunching());
    // Only an empty batch makes it faint; during a launch it stays whole.
    m_launchAll->setContentOpacity(empty ? 0.5 : 1.0);
}

QWidget* AppLauncherView::makeRow(int index) {
    const AppEntry& entry = m_service.entries().at(index);
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(8);
    auto* icon = new QLabel(row);
    icon->setFixedSize(22, 22);
    icon->setPixmap(appIconPixmap(m_service.iconName(entry), 22, 20, devicePixelRatioF()));
    layout->addWidget(icon, 0, Qt::AlignVCenter);
    // One line, cut with an ellipsis where the row is too narrow for the whole name.
    auto* name = new LineClampLabel(entry.displayName, BrimlarkTheme::monoRegular13(),
                                    BrimlarkTheme::textPrimary(), 1, row);
    name->setObjectName(QStringLiteral("appRowName"));
    name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    name->setToolTip(entry.displayName);
    layout->addWidget(name, 1);
    const auto result = m_service.lastResults().constFind(entry.id);
    if (result != m_service.lastResults().constEnd())
        layout->addWidget(
            new BrimlarkStatusBadge(result->label(), AppGridTile::resultColor(*result), false, row), 0,
            Qt::AlignVCenter);
    auto* remove = new AppBatchButton(
        AppBatchButton::Look::symbol, QString(), QStringLiteral("xmark.circle.fill"),
        BrimlarkTheme::textTertiary(), BrimlarkTheme::monoMedium11(),
        QStringLiteral("Remove ") + entry.displayName + QStringLiteral(" from batch"), row);
    const QUuid id = entry.id;
    // The row goes with the batch's change: the removal runs once the click is over.
    connect(
        remove, &QAbstractButton::clicked, &m_service, [this, id] { m_service.remove(id); },
        Qt::QueuedConnection);
    layout->addWidget(remove, 0, Qt::AlignVCenter);
    return row;
}

void AppLauncherView::rebuild() {
    // The old rows and tiles may be inside the click that changed the batch: they go on a later turn.
    const auto discard = [](QWidget* widget) {
        widget->hide();
        widget->setParent(nullptr);
        widget->deleteLater();
    };
    while (QLayoutItem* old = m_rows->takeAt(0)) {
        if (QWidget* widget = old->widget())
            discard(widget);
        delete old;
    }
    for (AppGridTile* tile : std::as_const(m_tiles))
        discard(tile);
    m_tiles.clear();

    const qsizetype count = m_service.entries().size();
    m_content = count == 0 ? Content::empty : count <= listLimit ? Content::list : Content::grid;
    m_empty->setVisible(m_content == Content::empty);
    m_listScroll->setVisible(m_content == Content::list);
    m_gridScroll->setVisible(m_content == Content::grid);
    if (m_content == Content::list) {
        for (int i = 0; i < count; ++i) {
            BrimlarkCard* card =
                brimlarkCard(makeRow(i), std::nullopt, 8, true, false, m_rows->parentWidget());
            card->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
            m_rows->addWidget(card);
            card->show();
        }
        m_rows->addStretch(1);
    } else if (m_content == Content::grid) {
        for (const AppEntry& entry : m_service.entries()) {
            auto* tile = new AppGridTile(m_service, entry, m_grid);
            m_tiles.append(tile);
            tile->show();
        }
        layOutGrid();
    }
    updateLaunchAll();
}

void AppLauncherView::layOutGrid() {
    if (m_tiles.isEmpty())
        return;
    const int width = m_gridScroll->viewport()->width();
    const int columns = std::max(1, (width + gridSpacing) / (columnMinimum + gridSpacing));
    const int column =
        std::clamp((width - gridSpacing * (columns - 1)) / columns, columnMinimum, columnMaximum);
    const int used = columns * column + gridSpacing * (columns - 1);
    const int left = std::max(0, (width - used) / 2);
    const int height = m_tiles.first()->sizeHint().height();
    for (int i = 0; i < m_tiles.size(); ++i) {
        const int x = left + (i % columns) * (column + gridSpacing);
        const int y = (i / columns) * (height + gridSpacing);
        m_tiles.at(i)->setGeometry(x, y, column, height);
    }
    const int rows = (static_cast<int>(m_tiles.size()) + columns - 1) / columns;
    m_grid->setMinimumHeight(rows * height + (rows - 1) * gridSpacing);
}

bool AppLauncherView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_gridScroll->viewport() && event->type() == QEvent::Resize)
        layOutGrid();
    return QWidget::eventFilter(watched, event);
}
