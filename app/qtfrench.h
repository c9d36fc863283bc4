#pragma once

class QCoreApplication;

namespace tabrix {

// Gives Qt's own texts (standard dialog buttons, context menus of text
// boxes, file dialogs) in French, from the Qt translation installed on the
// system. False, and Qt keeps its English texts, when that translation is
// not installed.
bool installQtFrench(QCoreApplication &application);

} // namespace tabrix
