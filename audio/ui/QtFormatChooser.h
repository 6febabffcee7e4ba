// The format chooser the program installs: runs the chooser dialog modally.
#pragma once

#include "audio/FormatChooser.h"

class QWidget;

class QtFormatChooser final : public FormatChooser
{
public:
    explicit QtFormatChooser(QWidget *parent = nullptr) : m_parent(parent) {}
    codecs::Result choose(codecs::FormatBlock &format, const QString &title) override;

private:
    QWidget *m_parent;
};
