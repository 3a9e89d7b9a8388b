#include "platform/linux/calendar/CalendarText.h"

#include <cstdlib>

namespace CalendarText {

const char* textOf(icalcomponent* component, icalproperty_kind kind) {
    icalproperty* property = icalcomponent_get_first_property(component, kind);
    if (!property)
        return nullptr;
    const char* text = nullptr;
    switch (kind) {
    case ICAL_SUMMARY_PROPERTY:
        text = icalproperty_get_summary(property);
        break;
    case ICAL_LOCATION_PROPERTY:
        text = icalproperty_get_location(property);
        break;
    case ICAL_DESCRIPTION_PROPERTY:
        text = icalproperty_get_description(property);
        break;
    case ICAL_UID_PROPERTY:
        text = icalproperty_get_uid(property);
        break;
    case ICAL_URL_PROPERTY:
        text = icalproperty_get_url(property);
        break;
    default:
        break;
    }
    return text ? text : "";
}

std::optional<QString> stringOf(icalcomponent* component, icalproperty_kind kind) {
    const char* text = textOf(component, kind);
    if (!text)
        return std::nullopt;
    return QString::fromUtf8(text);
}

QByteArray icalText(icalcomponent* component) {
    char* text = icalcomponent_as_ical_string_r(component);
    const QByteArray bytes(text ? text : "");
    free(text);
    return bytes;
}

} // namespace CalendarText
