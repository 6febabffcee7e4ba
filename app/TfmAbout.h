// The "About" box: picture, product name, version, vendor and addresses.
#pragma once

#include <QDialog>

class TfmAbout final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmAbout)

public:
    explicit TfmAbout(QWidget *parent);
};
