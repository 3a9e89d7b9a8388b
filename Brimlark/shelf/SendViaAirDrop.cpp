#include "Brimlark/shelf/SendViaAirDrop.h"

#include "platform/Share.h"

bool sendViaAirDrop(Share& share, const QList<QUrl>& urls) {
    if (!share.canShare(urls))
        return false;
    return share.share(urls);
}
