#pragma once

#include <QList>
#include <QUrl>

class Share;

// Hands the files to the desktop's file sender, which lets the user pick a nearby device. True when
// the sender took them (it has started; nothing tells whether they arrived).
bool sendViaAirDrop(Share& share, const QList<QUrl>& urls);
