#include "Brimlark/settings/OnboardingView.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "platform/UserDefaults.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

const QString OnboardingView::onboardedKey = QStringLiteral("brimlark.onboarded");

namespace {

QString buttonStyle(bool prominent) {
    const QColor warning = BrimlarkTheme::warning();
    if (prominent)
        return QStringLiteral("QPushButton { background: %1; color: black; border: none; border-radius: 8px;"
                              " padding: 6px 14px; }")
            .arg(warning.name());
    return QStringLiteral("QPushButton { background: transparent; color: %1; border: 1px solid %2;"
                          " border-radius: 8px; padding: 6px 14px; }")
        .arg(BrimlarkTheme::textPrimary().name(), BrimlarkTheme::strokeStrong().name(QColor::HexArgb));
}

// The row of step dots: the current one wide and orange.
class StepDots : public QWidget {
public:
    StepDots(const int& step, int total, QWidget* parent) : QWidget(parent), m_step(step), m_total(total) {
        setFixedSize(18 + (total - 1) * (6 + 6), 6);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        double x = 0;
        for (int i = 0; i < m_total; ++i) {
            const bool current = i == m_step;
            QColor color = current ? BrimlarkTheme::warning() : BrimlarkTheme::textTertiary();
            if (!current)
                color.setAlphaF(0.4f);
            painter.setBrush(color);
            const double width = current ? 18 : 6;
            painter.drawRoundedRect(QRectF(x, 0, width, 6), 3, 3);
            x += width + 6;
        }
    }

private:
    const int& m_step;
    int m_total;
};

} // namespace

OnboardingView::OnboardingView(PermissionsCoordinator& permissions, AppState& appState,
                               UserDefaults& defaults, std::function<void()> onClose, int totalSteps,
                               QWidget* parent)
    : QWidget(parent), m_permissions(permissions), m_appState(appState), m_defaults(defaults),
      m_onClose(std::move(onClose)), m_totalSteps(totalSteps) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_title = new QLabel(this);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(BrimlarkTheme::monoBold20());
    m_title->setAlignment(Qt::AlignCenter);
    QPalette palette = m_title->palette();
    palette.setColor(QPalette::WindowText, BrimlarkTheme::textPrimary());
    m_title->setPalette(palette);
    layout->addWidget(m_title, 1);

    auto* divider = new QWidget(this);
    divider->setFixedHeight(1);
    divider->setAutoFillBackground(true);
    QPalette dividerPalette = divider->palette();
    dividerPalette.setColor(QPalette::Window, BrimlarkTheme::stroke());
    divider->setPalette(dividerPalette);
    layout->addWidget(divider);

    auto* bar = new QHBoxLayout();
    bar->setContentsMargins(16, 12, 16, 12);
    m_dots = new StepDots(m_step, m_totalSteps, this);
    bar->addWidget(m_dots);
    bar->addStretch(1);
    m_back = new QPushButton(QStringLiteral("back"), this);
    m_back->setStyleSheet(buttonStyle(false));
    m_continue = new QPushButton(QStringLiteral("continue"), this);
    m_continue->setStyleSheet(buttonStyle(true));
    m_getStarted = new QPushButton(QStringLiteral("get started"), this);
    m_getStarted->setStyleSheet(buttonStyle(true));
    for (QPushButton* button : {m_back, m_continue, m_getStarted}) {
        button->setFont(BrimlarkTheme::monoSemibold12());
        button->setCursor(Qt::PointingHandCursor);
        bar->addWidget(button);
    }
    connect(m_back, &QPushButton::clicked, this, &OnboardingView::goBack);
    connect(m_continue, &QPushButton::clicked, this, &OnboardingView::advance);
    connect(m_getStarted, &QPushButton::clicked, this, &OnboardingView::finish);
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), this);
    connect(shortcut, &QShortcut::activated, this, [this] {
        if (m_getStarted->isVisible())
            finish();
    });
    layout->addLayout(bar);

    showStep();
}

QString OnboardingView::stepTitle(int step) {
    switch (step) {
    case 0:
        return QStringLiteral("welcome");
    case 1:
        return QStringLiteral("permissions");
    case 2:
        return QStringLiteral("coding tools");
    default:
        return QStringLiteral("shortcuts");
    }
}

void OnboardingView::showStep() {
    m_title->setText(stepTitle(m_step));
    m_back->setVisible(m_step >= 1);
    m_continue->setVisible(m_step < m_totalSteps - 1);
    m_getStarted->setVisible(m_step == m_totalSteps - 1);
    m_dots->update();
}

void OnboardingView::goBack() {
    if (m_step < 1)
        return;
    --m_step;
    showStep();
}

void OnboardingView::advance() {
    if (m_step >= m_totalSteps - 1)
        return;
    ++m_step;
    showStep();
}

void OnboardingView::finish() {
    m_defaults.setBool(onboardedKey, true);
    if (m_onClose)
        m_onClose();
}

void OnboardingView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), BrimlarkTheme::notchBlack());
}
