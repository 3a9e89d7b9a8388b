#include "Brimlark/shortcuts/ShortcutsTab.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/shortcuts/BrimlarkShortcutRecorder.h"
#include "Brimlark/shortcuts/ShortcutNames.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

// One row's rounded card: the surface fill inside a hairline of the stroke colour.
class RowCard final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
        painter.fillPath(shape, BrimlarkTheme::surface());
        painter.setPen(QPen(BrimlarkTheme::stroke(), 1));
        painter.drawPath(shape);
    }
};

} // namespace

QList<ShortcutsTab::Row> ShortcutsTab::defaultRows() {
    using Name = KeyboardShortcutManager::Name;
    const QList<QPair<QString, Name>> entries = {
        {QStringLiteral("open basic mode"), Name::toggleBasic},
        {QStringLiteral("open advanced mode"), Name::toggleAdvanced},
        {QStringLiteral("next page"), Name::nextPage},
        {QStringLiteral("previous page"), Name::prevPage},
        {QStringLiteral("play or pause media"), Name::playPause},
        {QStringLiteral("next track"), Name::nextTrack},
        {QStringLiteral("previous track"), Name::prevTrack},
        {QStringLiteral("toggle mic mute"), Name::muteMic},
        {QStringLiteral("toggle dnd"), Name::toggleDND},
        {QStringLiteral("timer 15 min"), Name::timer15},
        {QStringLiteral("timer 30 min"), Name::timer30},
        {QStringLiteral("timer 60 min"), Name::timer60},
        {QStringLiteral("open notes"), Name::openNotes},
        {QStringLiteral("open mirror"), Name::openMirror},
        {QStringLiteral("launch app batch"), Name::launchAppBatch},
    };
    QList<Row> rows;
    for (const auto& [label, name] : entries)
        rows.append({label, name, rows.size() % 2 == 0 ? BrimlarkTheme::accent() : BrimlarkTheme::warning()});
    return rows;
}

ShortcutsTab::ShortcutsTab(KeyboardShortcuts::CarbonKeyboardShortcuts* registry, QWidget* parent)
    : QWidget(parent), m_rows(defaultRows()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(24);
    QLabel* introduction = plainLabel(
        QStringLiteral("brimlark is gesture first, but the fast lane should still feel sharp and easy "
                       "to scan."),
        BrimlarkTheme::monoRegular13(), BrimlarkTheme::textSecondary(), this);
    introduction->setWordWrap(true);
    layout->addWidget(introduction);

    auto* list = new QVBoxLayout();
    list->setSpacing(8);
    for (const Row& row : std::as_const(m_rows)) {
        auto* card = new RowCard(this);
        auto* line = new QHBoxLayout(card);
        line->setContentsMargins(12, 8, 12, 8);
        line->setSpacing(12);
        line->addWidget(
            plainLabel(row.label, BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), card));
        line->addStretch(1);
        auto* recorder = new BrimlarkShortcutRecorder(shortcutName(row.name), row.tint, registry, card);
        line->addWidget(recorder);
        m_recorders.append(recorder);
        list->addWidget(card);
    }
    layout->addLayout(list);
}
