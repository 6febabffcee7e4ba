// A tool button that runs one command (its default action). Screen readers and automation
// see it as a button, checkable when its command is, whose one action clicks it, so that
// the accessibility bus runs the command exactly as a mouse click does; a bare toggle would
// flip the button's checked state and leave the command undone.
#pragma once

#include <QToolButton>

class CommandButton final : public QToolButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CommandButton)

public:
    CommandButton(QAction *command, QWidget *parent);

    // Makes the accessibility bus use the interface above for every CommandButton; called
    // once, before the first button is shown.
    static void installAccessibleFactory();
};
