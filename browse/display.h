#pragma once

#include "store/catalogue.h"
#include "store/category.h"

namespace tabrix::browse {

// What a click on an entry opens when "Afficher" is ticked: the option
// selected in the tab's "Affichage" frame, and what is opened in the end.
enum class Display { Nothing, PictureWindow, ImageLink, ForumLink };

// Whether the entry's links allow anything to be opened: its image link is
// neither "Non disponible" nor empty, and for the lists that need it the
// forum link too. A link with no value does not stand in the way.
bool linksAvailable(const Category &category, const Entry &entry);

// What to open for this entry with this option. An option that would open
// a link with no value opens nothing.
Display chooseDisplay(const Category &category, const Entry &entry, Display option);

} // namespace tabrix::browse
