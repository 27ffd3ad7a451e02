#include "transfer/sd_page.h"
#include "session/protocol.h"
#include "session/states.h"
#include "transfer/folder_chooser.h"
#include "transfer/sd_batch.h"
#include "transfer/sd_folders.h"
#include "widgets/designer.h"
#include "widgets/editable_list.h"

#include <QDir>
#include <QGridLayout>
#include <QPointer>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace mfd {

SdPage::SdPage(Slots &requests, QWidget *parent) : QWidget(parent), rq_(requests)
{
    const QString headingText = QStringLiteral("The download page for the MFD SD card version 7.0 and 7.5.");
    heading_ = designate(new QLabel(headingText), "Label3", headingText);
    drives_ = designate(new DriveComboBox, "DriveComboBox1", QStringLiteral("Drive"));
    folders_ = designate(new DirectoryListBox, "DirectoryListBox1", QStringLiteral("Folder"));
    files_ = designate(new QListWidget, "FileListBox1", QStringLiteral("Files"));
    files_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto *load = designate(new QPushButton(QStringLiteral("Load Packet")), "Button7", QStringLiteral("Load Packet"));
    unitFolder_ = designate(new EditableList, "ComboBox2", QStringLiteral("Unit folder"));
    unitFolder_->addItems(unitFolderItems());
    unitFolder_->setText(QStringLiteral("/"));
    auto *updateRg = designate(new QPushButton(QStringLiteral("Update RG")), "BitBtn9", QStringLiteral("Update RG"));

    auto *grid = new QGridLayout;
    auto *folderLabel = new QLabel(QStringLiteral("Folder"));
    auto *filesLabel = new QLabel(QStringLiteral("Files"));
    folderLabel->setBuddy(folders_);
    filesLabel->setBuddy(files_);
    grid->addWidget(drives_, 0, 0);
    grid->addWidget(folderLabel, 1, 0);
    grid->addWidget(folders_, 2, 0);
    grid->addWidget(filesLabel, 1, 1);
    grid->addWidget(files_, 2, 1);
    auto *actions = new QVBoxLayout;
    actions->addWidget(unitFolder_);
    actions->addWidget(load);
    actions->addSpacing(24);
    actions->addWidget(updateRg);
    actions->addStretch(1);
    grid->addLayout(actions, 2, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    for (QWidget *w : {static_cast<QWidget *>(unitFolder_), static_cast<QWidget *>(load),
                       static_cast<QWidget *>(updateRg)})
        w->setFixedWidth(140);

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(heading_);
    outer->addLayout(grid, 1);

    connect(load, &QPushButton::clicked, this, &SdPage::Button7Click);
    connect(updateRg, &QPushButton::clicked, this, &SdPage::BitBtn9Click);
    connect(drives_, &DriveComboBox::driveChosen, folders_, &DirectoryListBox::setDirectory);
    connect(folders_, &DirectoryListBox::directoryChanged, this, [this](const QString &path) {
        drives_->showDriveOf(path);
        readFileList();
        DirectoryListBox1Change();
    });

    // The program's working folder, shown without a folder change: the heading keeps its text.
    {
        const QSignalBlocker block(folders_);
        folders_->setDirectory(QDir::currentPath());
    }
    drives_->showDriveOf(folders_->directory());
    readFileList();
}

QStringList SdPage::fileNames() const
{
    QStringList names;
    names.reserve(files_->count());
    for (int i = 0; i < files_->count(); ++i)
        names << files_->item(i)->text();
    return names;
}

void SdPage::readFileList()
{
    files_->clear();
    // Ordinary files only: no folders, hidden files, sockets, pipes or devices.
    files_->addItems(QDir(folders_->directory()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
}

void SdPage::Button7Click()
{
    rq_.SdFolder = unitFolder_->text();
    rq_.SessionState = state::SdBatchStart;
}

void SdPage::BitBtn9Click() { rq_.request(state::Command, code::Reboot); }

void SdPage::DirectoryListBox1Change()
{
    const std::optional<QString> name = folders_->selectedName();
    if (name)
        heading_->setText(*name);
    unitFolder_->setSelectedIndex(unitFolderIndexFor(name, unitFolderItems()));
}

QWidget *createSdPage(PageContext &ctx)
{
    auto *page = new SdPage(ctx.requests);
    QPointer<SdPage> guard(page);
    SdPageSource source{
        [guard] { return guard ? guard->fileNames() : QStringList(); },
        [guard] { return guard ? guard->folderChooser()->directory() : QString(); },
    };
    registerSdSteps(ctx.driver, std::move(source), windowProgress(ctx.window));
    return page;
}

} // namespace mfd
