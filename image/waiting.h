#pragma once

#include <QObject>

namespace tabrix::image {

// Lets the picture window stop a download or a shrink it is waiting for,
// for instance when the user closes the window meanwhile.
class CancelToken : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool isRequested() const { return m_requested; }
    void reset() { m_requested = false; }
    void request()
    {
        if (m_requested)
            return;
        m_requested = true;
        emit requested();
    }

signals:
    void requested();

private:
    bool m_requested = false;
};

} // namespace tabrix::image
