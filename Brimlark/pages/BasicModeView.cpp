#include "Brimlark/pages/BasicModeView.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PanelIconButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

BasicModeView::BasicModeView(Inputs inputs, QWidget* parent) : QWidget(parent), m_inputs(std::move(inputs)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 4, 20, 12);

    auto* header = new QHBoxLayout();
    auto* title = new QLabel(QStringLiteral("basic"), this);
    title->setTextFormat(Qt::PlainText);
    title->setFont(BrimlarkTheme::monoSemibold16());
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, BrimlarkTheme::textPrimary());
    title->setPalette(palette);
    header->addWidget(title);
    header->addStretch(1);
    auto* advanced =
        new PanelIconButton(QStringLiteral("chevron.right"), QStringLiteral("Advanced"), 26, this);
    connect(advanced, &QAbstractButton::clicked, this, [this] {
        if (m_inputs.onAdvancedRequested)
            m_inputs.onAdvancedRequested();
    });
    header->addWidget(advanced);
    layout->addLayout(header);
    layout->addStretch(1);
}
