#include "transfer/folder_chooser.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>

namespace mfd {

namespace {
constexpr int PathRole = Qt::UserRole;
}

DirectoryListBox::DirectoryListBox(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setIndentation(12);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item, int) {
        if (item)
            setDirectory(item->data(0, PathRole).toString());
    });
}

void DirectoryListBox::setDirectory(const QString &path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!QFileInfo(clean).isDir() || clean == directory_)
        return;
    directory_ = clean;
    rebuild();
    emit directoryChanged(directory_);
}

std::optional<QString> DirectoryListBox::selectedName() const
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.first()->text(0);
}

QTreeWidgetItem *DirectoryListBox::itemFor(const QString &path) const
{
    const QString clean = QDir::cleanPath(path);
    for (QTreeWidgetItemIterator it(const_cast<DirectoryListBox *>(this)); *it; ++it)
        if ((*it)->data(0, PathRole).toString() == clean)
            return *it;
    return nullptr;
}

void DirectoryListBox::rebuild()
{
    clear();
    const QIcon openFolder = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedFolder = style()->standardIcon(QStyle::SP_DirIcon);

    // The way down: every folder from the root to the current one.
    QStringList chain;
    for (QDir d(directory_);;) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    QTreeWidgetItem *parent = nullptr;
    for (const QString &p : chain) {
        const QDir d(p);
        const QString name = d.isRoot() ? QDir::toNativeSeparators(d.absolutePath()) : d.dirName();
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, name);
        item->setIcon(0, openFolder);
        item->setData(0, PathRole, p);
        parent = item;
    }
    QTreeWidgetItem *current = parent;

    const QFileInfoList subfolders = QDir(directory_).entryInfoList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &fi : subfolders) {
        auto *item = new QTreeWidgetItem(current);
        item->setText(0, fi.fileName());
        item->setIcon(0, closedFolder);
        item->setData(0, PathRole, QDir::cleanPath(fi.absoluteFilePath()));
    }
    expandAll();
    setCurrentItem(current);
    current->setSelected(true);
    scrollToItem(current);
}

DriveComboBox::DriveComboBox(QWidget *parent) : QComboBox(parent)
{
    refresh();
    connect(this, &QComboBox::activated, this, [this](int index) {
        emit driveChosen(itemData(index).toString());
    });
}

void DriveComboBox::refresh()
{
    QStringList roots;
    for (const QStorageInfo &v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady())
            roots << QDir::cleanPath(v.rootPath());
    roots.removeDuplicates();
    std::sort(roots.begin(), roots.end(), [](const QString &a, const QString &b) {
        const bool aRoot = QDir(a).isRoot();
        const bool bRoot = QDir(b).isRoot();
        return aRoot != bRoot ? aRoot : a < b;
    });
    if (roots.isEmpty())
        roots << QDir::rootPath();
    const QSignalBlocker block(this);
    clear();
    for (const QString &r : roots)
        addItem(QDir::toNativeSeparators(r), r);
}

void DriveComboBox::showDriveOf(const QString &path)
{
    const int index = findData(QDir::cleanPath(QStorageInfo(path).rootPath()));
    if (index >= 0) {
        const QSignalBlocker block(this);
        setCurrentIndex(index);
    }
}

} // namespace mfd
