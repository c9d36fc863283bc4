#include "browse/display.h"

namespace tabrix::browse {

namespace {

bool blocks(const std::optional<QString> &link)
{
    return link && (*link == notAvailable() || link->isEmpty());
}

} // namespace

bool linksAvailable(const Category &category, const Entry &entry)
{
    if (blocks(entry.url))
        return false;
    if (category.needsForumLink && blocks(entry.link))
        return false;
    return true;
}

Display chooseDisplay(const Category &category, const Entry &entry, Display option)
{
    if (!linksAvailable(category, entry))
        return Display::Nothing;
    switch (option) {
    case Display::ImageLink:
        return entry.url ? Display::ImageLink : Display::Nothing;
    case Display::ForumLink:
        return entry.link ? Display::ForumLink : Display::Nothing;
    case Display::PictureWindow:
        return Display::PictureWindow;
    case Display::Nothing:
        break;
    }
    return Display::Nothing;
}

} // namespace tabrix::browse
