#pragma once

#include "store/catalogue.h"
#include "store/result.h"
#include "ui/mainform.h"

#include <QWidget>

#include <memory>

namespace tabrix {

// The main window, Form1: six tabs, the four lists, the search and the
// statistics. It owns the open catalogue and closes it when it goes.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(std::unique_ptr<Catalogue> catalogue, Services &services, const QString &programDir,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence: headers, the four lists and their author
    // choices, then the handlers of every module.
    Status load();

    MainForm &form() { return m_form; }
    Context &context() { return m_context; }
    Catalogue &catalogue() { return *m_catalogue; }

protected:
    // Asks first when a list holds typed text that would be lost.
    void closeEvent(QCloseEvent *event) override;

private:

    std::unique_ptr<Catalogue> m_catalogue;
    Context m_context;
    MainForm m_form;
};

} // namespace tabrix
