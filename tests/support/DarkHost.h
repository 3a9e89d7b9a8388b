#pragma once

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QPalette>
#include <QSize>
#include <QVBoxLayout>
#include <QWidget>

// A dark stand-in for the panel or the settings card, so that screenshots look as on screen: a
// window of the notch black with `content` inset by 16 on each side. Owns `content`.
inline QWidget* darkHost(QWidget* content, const QSize& size) {
    auto* host = new QWidget();
    host->setAutoFillBackground(true);
    QPalette palette = host->palette();
    palette.setColor(QPalette::Window, BrimlarkTheme::notchBlack());
    host->setPalette(palette);
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(content);
    host->resize(size);
    return host;
}
