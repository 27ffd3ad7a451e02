#pragma once
// Frames and records written the way they read in a trace: one number per byte.

#include <QByteArray>
#include <initializer_list>

namespace mfd::test {

inline QByteArray bytes(std::initializer_list<int> v)
{
    QByteArray b;
    for (int x : v)
        b.append(char(x));
    return b;
}

} // namespace mfd::test
