#pragma once
// Every control carries its designer name (objectName and accessible description) and its
// caption (accessible name), so screen readers and GUI test tools find it.

#include <QString>
#include <QWidget>

namespace mfd {

template <typename W>
W *designate(W *widget, const char *designerName, const QString &caption)
{
    widget->setObjectName(QString::fromLatin1(designerName));
    widget->setAccessibleDescription(QString::fromLatin1(designerName));
    widget->setAccessibleName(caption);
    return widget;
}

} // namespace mfd
