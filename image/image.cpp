#include "image/image.h"

#include "image/imagewindow.h"
#include "pictures/shrink.h"
#include "store/catalogue.h"
#include "ui/mainform.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>

namespace tabrix::image {

void openImageWindow(MainForm &form, Context &context, const Category &category)
{
    ImageWindow *window = imageWindowFor(form.window);
    if (window->isBusy()) {
        // Still fetching the previous picture: bring that one forward.
        window->raise();
        window->activateWindow();
        return;
    }

    pictures::removeScratchFiles(context.programDir);

    const CategoryTab &tab = form.tab(category);
    window->reset();
    window->ref->setText(tab.number->text());
    window->name->setText(tab.name->text());
    window->link->setText(tab.url->text());
    window->forumLink->setText(tab.link->text());

    window->show();
    window->raise();
    window->activateWindow();
    if (form.window) {
        window->mainGeometry = form.window->saveGeometry();
        form.window->hide();
    }

    window->display(tab.url->text(), *context.services, context.programDir,
                    {&category, tab.number->text(), context.catalogue->path()});
}

} // namespace tabrix::image
