#pragma once

#include <QString>

namespace tabrix {

// A new control under its name, the one the window's parts and the tests
// find it by.
template <typename T>
T *named(T *control, const QString &name)
{
    control->setObjectName(name);
    return control;
}

} // namespace tabrix
