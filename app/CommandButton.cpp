// The command button and its accessible interface.
#include "CommandButton.h"

#include <QAccessibleWidget>
#include <QAction>

namespace {

class AccessibleCommandButton final : public QAccessibleWidget
{
public:
    explicit AccessibleCommandButton(CommandButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QString name = button()->accessibleName();
            if (!name.isEmpty())
                return name;
            if (const QAction *command = button()->defaultAction())
                return command->text();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = button()->isCheckable();
        s.checked = button()->isChecked();
        s.pressed = button()->isDown();
        return s;
    }

    QStringList actionNames() const override
    {
        if (!button()->isEnabled())
            return {};
        return {button()->isCheckable() ? toggleAction() : pressAction()};
    }

    void doAction(const QString &name) override
    {
        if (button()->isEnabled() && (name == pressAction() || name == toggleAction()))
            button()->click();
    }

    QStringList keyBindingsForAction(const QString &) const override
    {
        const QAction *command = button()->defaultAction();
        return command && !command->shortcut().isEmpty()
                   ? QStringList{command->shortcut().toString(QKeySequence::NativeText)}
                   : QStringList{};
    }

private:
    CommandButton *button() const { return static_cast<CommandButton *>(widget()); }
};

QAccessibleInterface *commandButtonFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("CommandButton") && object && object->isWidgetType())
        return new AccessibleCommandButton(static_cast<CommandButton *>(object));
    return nullptr;
}

} // namespace

CommandButton::CommandButton(QAction *command, QWidget *parent) : QToolButton(parent)
{
    installAccessibleFactory();
    setDefaultAction(command);
    setAccessibleName(command->text());
}

void CommandButton::installAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(commandButtonFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
