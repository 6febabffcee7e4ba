#include "MediaPlayerPage.h"

#include "config/Preferences.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

MediaPlayerPage::MediaPlayerPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tsMediaPlayer"));
    m_external = new QCheckBox(QStringLiteral("External media player"), this);
    m_external->setObjectName(QStringLiteral("cbExtPlayer"));
    m_path = new QLineEdit(Preferences{}.Player, this);
    m_path->setObjectName(QStringLiteral("edPlayer"));
    m_path->setAccessibleName(QStringLiteral("Media player program"));
    m_browse = new QPushButton(QStringLiteral("Browse"), this);
    m_browse->setObjectName(QStringLiteral("btnBrowse"));
    m_browse->setAccessibleName(m_browse->text());

    auto *row = new QHBoxLayout;
    row->addWidget(m_path, 1);
    row->addWidget(m_browse);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_external);
    layout->addLayout(row);
    layout->addStretch(1);

    connect(m_external, &QCheckBox::toggled, this, &MediaPlayerPage::updateEnabled);
    connect(m_browse, &QPushButton::clicked, this, &MediaPlayerPage::browseClicked);
    updateEnabled();
}

void MediaPlayerPage::load(const Preferences &prefs)
{
    m_external->setChecked(prefs.ExtPlayer);
    m_path->setText(prefs.Player);
    updateEnabled();
}

void MediaPlayerPage::store(Preferences &prefs) const
{
    prefs.ExtPlayer = m_external->isChecked();
    if (prefs.ExtPlayer)
        prefs.Player = m_path->text();
}

void MediaPlayerPage::setPlayerPath(const QString &path)
{
    m_path->setText(path);
}

void MediaPlayerPage::updateEnabled()
{
    m_path->setEnabled(m_external->isChecked());
    m_browse->setEnabled(m_external->isChecked());
}
