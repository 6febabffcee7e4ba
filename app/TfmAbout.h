// The "About" box: picture, product name, version, the Qt version it runs on, licence, vendor
// and addresses, the data directory with a button that opens it, and the way to the user guide.
#pragma once

#include <QDialog>

class MessageService;

class TfmAbout final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmAbout)

public:
    TfmAbout(const QString &dataDir, MessageService &messages, QWidget *parent);

private:
    void openDataDir();

    QString m_dataDir;
    MessageService &m_messages;
};
