#pragma once
// "ver.7.5 SD File Manager": a PC folder (drive chooser, folder chooser, file list) and a unit
// folder; "Load Packet" copies every file of the list into that folder of the unit's card.

#include "app/page_context.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

namespace mfd {

class DirectoryListBox;
class DriveComboBox;
class EditableList;

class SdPage : public QWidget {
    Q_OBJECT
public:
    explicit SdPage(Slots &requests, QWidget *parent = nullptr);

    DriveComboBox *driveChooser() const { return drives_; }
    DirectoryListBox *folderChooser() const { return folders_; }
    QListWidget *fileList() const { return files_; }
    EditableList *unitFolder() const { return unitFolder_; }
    QLabel *heading() const { return heading_; }

    // The names the list shows, in order: what a batch takes.
    QStringList fileNames() const;

    // Handlers.
    void Button7Click();             // "Load Packet"
    void BitBtn9Click();             // "Update RG"
    void DirectoryListBox1Change();  // the current PC folder changed

private:
    void readFileList();

    Slots &rq_;
    QLabel *heading_ = nullptr;
    DriveComboBox *drives_ = nullptr;
    DirectoryListBox *folders_ = nullptr;
    QListWidget *files_ = nullptr;
    EditableList *unitFolder_ = nullptr;
};

} // namespace mfd
