#include "Brimlark/settings/SettingsScene.h"

#include "Brimlark/aihooks/views/AIHooksTab.h"
#include "Brimlark/apps/AppBatchTab.h"
#include "Brimlark/controls/FocusTab.h"
#include "Brimlark/controls/MirrorTab.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/core/EnumText.h"
#include "Brimlark/core/SaveFailure.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/quickactions/QuickActionsTab.h"
#include "Brimlark/settings/AboutTab.h"
#include "Brimlark/settings/GeneralTab.h"
#include "Brimlark/settings/PermissionsTab.h"
#include "Brimlark/settings/SettingsCloseButton.h"
#include "Brimlark/settings/SettingsSidebarRow.h"
#include "Brimlark/shortcuts/ShortcutsTab.h"
#include "Brimlark/surface/GlowTab.h"
#include "Brimlark/surface/HaloController.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtMath>

SettingsScene::SettingsScene(const PanelServices& services, Context context, SettingsTab selection,
                             QWidget* parent)
    : QWidget(parent), m_services(services), m_context(std::move(context)), m_halo(m_context.halo),
      m_selection(selection) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(sceneWidth, sceneHeight);

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(cardPadding, cardPadding, cardPadding, cardPadding);
    outer->setSpacing(0);

    auto* sidebar = new QWidget(this);
    sidebar->setFixedWidth(228);
    auto* rows = new QVBoxLayout(sidebar);
    rows->setContentsMargins(22, 32, 10, 16);
    rows->setSpacing(2);
    for (SettingsTab tab : allCases<SettingsTab>()) {
        auto* row = new SettingsSidebarRow(tab, sidebar);
        connect(row, &QAbstractButton::clicked, this, [this, tab] { setSelection(tab); });
        rows->addWidget(row);
        m_rows.append(row);
    }
    rows->addStretch(1);
    outer->addWidget(sidebar);

    auto* divider = new QWidget(this);
    divider->setFixedWidth(1);
    divider->setAutoFillBackground(true);
    QPalette dividerPalette = divider->palette();
    dividerPalette.setColor(QPalette::Window, BrimlarkTheme::stroke());
    divider->setPalette(dividerPalette);
    outer->addWidget(divider);

    auto* detail = new QVBoxLayout();
    detail->setSpacing(0);
    // Keeps the scroll bar clear of the card's rounded corners.
    detail->setContentsMargins(0, 0, 14, 28);
    auto* header = new QHBoxLayout();
    header->setContentsMargins(54, 46, 54, 16);
    header->setSpacing(16);
    m_title =
        plainLabel(QString(), BrimlarkTheme::monoFont(24, QFont::Bold), BrimlarkTheme::textPrimary(), this);
    // The title takes the free width, so a longer one never waits for a re-layout to fit.
    header->addWidget(m_title, 1);
    auto* close = new SettingsCloseButton(this);
    connect(close, &QAbstractButton::clicked, this, [this] {
        if (m_context.close)
            m_context.close();
    });
    header->addWidget(close);
    detail->addLayout(header);

    // While the settings file cannot be written, one line under the title says so.
    m_saveLine = plainLabel(QString(), BrimlarkTheme::monoMedium11(), BrimlarkTheme::warning(), this);
    m_saveLine->setObjectName(QStringLiteral("saveLine"));
    m_saveLine->setWordWrap(true);
    m_saveLine->setContentsMargins(54, 0, 54, 8);
    detail->addWidget(m_saveLine);
    if (m_services.appState) {
        connect(m_services.appState, &AppState::saveErrorChanged, this, &SettingsScene::showSaveError);
        showSaveError(m_services.appState->saveError());
    } else {
        showSaveError(QString());
    }

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The card shows through the scrolling area.
    QPalette clear = m_scroll->palette();
    clear.setColor(QPalette::Window, Qt::transparent);
    clear.setColor(QPalette::Base, Qt::transparent);
    m_scroll->setPalette(clear);
    m_scroll->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->verticalScrollBar()->setStyleSheet(BrimlarkTheme::thinScrollBarStyle());
    detail->addWidget(m_scroll, 1);
    outer->addLayout(detail, 1);

    setSelection(m_selection);
}

QString SettingsScene::saveLine() const {
    return m_saveLine->text();
}

void SettingsScene::showSaveError(const QString& error) {
    m_saveLine->setText(SaveFailure::line(QStringLiteral("settings"), error));
    m_saveLine->setVisible(!error.isEmpty());
}

void SettingsScene::setSelection(SettingsTab tab) {
    // The page shown stays as it is, scrolled where the user left it.
    if (tab == m_selection && m_scroll->widget())
        return;
    m_selection = tab;
    for (SettingsSidebarRow* row : std::as_const(m_rows))
        row->setSelected(row->tab() == tab);
    m_title->setText(SettingsTabs::title(tab));
    showPage();
}

void SettingsScene::showPage() {
    auto* page = new QWidget();
    page->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(54, 10, 60, 42);
    layout->setSpacing(24);
    if (m_selection == SettingsTab::general && m_services.appState) {
        layout->addWidget(new GeneralTab(*m_services.appState, page));
    } else if (m_selection == SettingsTab::glow && m_halo && m_services.appState && m_services.aiHooks) {
        layout->addWidget(new GlowTab(*m_services.appState, *m_halo, *m_services.aiHooks, page));
    } else if (m_selection == SettingsTab::quickActions && m_services.quickActions) {
        layout->addWidget(new QuickActionsTab(*m_services.quickActions, page));
    } else if (m_selection == SettingsTab::aiHooks && m_services.aiHooks && m_services.appState) {
        layout->addWidget(new AIHooksTab(*m_services.aiHooks, *m_services.appState, page));
    } else if (m_selection == SettingsTab::focus && m_services.focus && m_services.workspace) {
        layout->addWidget(new FocusTab(*m_services.focus, *m_services.workspace, page));
    } else if (m_selection == SettingsTab::appBatch && m_context.apps) {
        layout->addWidget(new AppBatchTab(*m_context.apps, page));
    } else if (m_selection == SettingsTab::shortcuts && m_context.shortcutStore) {
        layout->addWidget(new ShortcutsTab(m_context.shortcutRegistry, page));
    } else if (m_selection == SettingsTab::mirror && m_services.mirror) {
        layout->addWidget(new MirrorTab(*m_services.mirror, page));
    } else if (m_selection == SettingsTab::permissions && m_services.permissions) {
        layout->addWidget(new PermissionsTab(*m_services.permissions, page));
    } else if (m_selection == SettingsTab::about) {
        layout->addWidget(new AboutTab(AboutTab::builtVersion(), AboutTab::builtBuild(), page));
    } else {
        layout->addWidget(plainLabel(SettingsTabs::title(m_selection), BrimlarkTheme::monoMedium13(),
                                     BrimlarkTheme::textTertiary(), page));
    }
    layout->addStretch(1);
    m_scroll->setWidget(page);
}

QPainterPath SettingsScene::cardOutline() {
    QPainterPath outline;
    outline.addRoundedRect(
        QRectF(cardPadding, cardPadding, sceneWidth - 2 * cardPadding, sceneHeight - 2 * cardPadding),
        cornerRadius, cornerRadius);
    return outline;
}

void SettingsScene::paintEvent(QPaintEvent*) {
    // The card never changes: drawn once at the screen's pixel ratio, then copied on every paint.
    const qreal ratio = devicePixelRatioF();
    if (m_card.isNull() || !qFuzzyCompare(m_card.devicePixelRatio(), ratio)) {
        m_card = QPixmap(QSize(qCeil(sceneWidth * ratio), qCeil(sceneHeight * ratio)));
        m_card.setDevicePixelRatio(ratio);
        m_card.fill(Qt::transparent);
        QPainter card(&m_card);
        card.setRenderHint(QPainter::Antialiasing);
        card.fillPath(cardOutline(), BrimlarkTheme::notchBlack());
        // The ring runs half a point inside the card's edge, so all of it lies on the card: the
        // outermost pixels of the card are the ring's, whole.
        const QRectF ring(cardPadding + 0.5, cardPadding + 0.5, sceneWidth - 2 * cardPadding - 1.0,
                          sceneHeight - 2 * cardPadding - 1.0);
        card.setPen(QPen(BrimlarkTheme::strokeStrong(), 1));
        card.setBrush(Qt::NoBrush);
        card.drawRoundedRect(ring, cornerRadius - 0.5, cornerRadius - 0.5);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_card);
}
