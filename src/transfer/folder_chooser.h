#pragma once
// The SD page's PC-side choosers: the folder chooser shows the way from the file system's root
// down to the current folder, then the current folder's subfolders; opening an entry (double
// click or Return) makes it the current folder. The drive chooser lists the mounted volumes,
// the root first.

#include <QComboBox>
#include <QString>
#include <QTreeWidget>
#include <optional>

namespace mfd {

class DirectoryListBox : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirectoryListBox(QWidget *parent = nullptr);

    QString directory() const { return directory_; }
    // Moves to path (made absolute and clean); emits directoryChanged when the folder changes.
    void setDirectory(const QString &path);
    // The selected entry's text: the current folder's name, "/" for the root.
    std::optional<QString> selectedName() const;
    // The entry that opens path, if shown.
    QTreeWidgetItem *itemFor(const QString &path) const;

signals:
    void directoryChanged(const QString &path);

private:
    void rebuild();

    QString directory_;
};

class DriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveComboBox(QWidget *parent = nullptr);

    // Re-reads the mounted volumes.
    void refresh();
    // Shows the volume holding path, without raising driveChosen.
    void showDriveOf(const QString &path);

signals:
    // The user chose a volume: its root folder.
    void driveChosen(const QString &rootPath);
};

} // namespace mfd
