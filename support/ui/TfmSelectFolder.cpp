#include "TfmSelectFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

TfmSelectFolder::TfmSelectFolder(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmSelectFolder"));
    setWindowTitle(QStringLiteral("Select folder"));
    setModal(true);

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QDir::rootPath());

    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("DirTree"));
    m_tree->setAccessibleName(QStringLiteral("Folders"));
    m_tree->setModel(m_model);
    m_tree->setRootIndex(m_model->index(QDir::rootPath()));
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);

    m_ok = new QPushButton(QStringLiteral("Ok"), this);
    m_ok->setObjectName(QStringLiteral("btnOk"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(m_ok, &QPushButton::clicked, this, &TfmSelectFolder::btnOkClick);
    connect(m_cancel, &QPushButton::clicked, this, &TfmSelectFolder::btnCancelClick);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addLayout(buttons);
    setFixedSize(360, 400);
}

QString TfmSelectFolder::Execute(const QString &startDir, QWidget *centreOn)
{
    selectPath(startDir.isEmpty() ? QDir::homePath() : startDir);
    if (centreOn)
        move(centreOn->window()->geometry().center() - rect().center());
    exec();
    return m_result;
}

QString TfmSelectFolder::selectedPath() const
{
    const QModelIndex index = m_tree->currentIndex();
    return index.isValid() ? m_model->filePath(index) : QString();
}

void TfmSelectFolder::selectPath(const QString &path)
{
    // A folder that went away: its nearest existing parent.
    QString existing = QDir(path).absolutePath();
    while (!QFileInfo(existing).isDir() && !QDir(existing).isRoot())
        existing = QFileInfo(existing).absolutePath();
    const QModelIndex index = m_model->index(existing);
    if (!index.isValid())
        return;
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
}

void TfmSelectFolder::btnOkClick()
{
    m_result = selectedPath();
    accept();
}

void TfmSelectFolder::btnCancelClick()
{
    m_result.clear();
    reject();
}
