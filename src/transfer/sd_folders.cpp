#include "transfer/sd_folders.h"

namespace mfd {

const QStringList &unitFolderItems()
{
    static const QStringList items = {"/",     "/3D/",      "/main/", "/params/", "/service/", "/warn/",
                                      "/updates/", "/str/", "/sys/",  "/logos/",  "/diag/"};
    return items;
}

int unitFolderIndexFor(const std::optional<QString> &pcFolderName, const QStringList &items)
{
    if (!pcFolderName)
        return 0;
    const QString wanted = QLatin1Char('/') + *pcFolderName + QLatin1Char('/');
    for (int i = 0; i < items.size(); ++i)
        if (items[i].compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    return 0;
}

} // namespace mfd
