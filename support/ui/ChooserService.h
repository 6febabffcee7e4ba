// Every file, folder, font and colour chooser of the program goes through this one service:
// a desktop session shows the desktop's dialogs, an unattended run chooses nothing, and tests
// answer as they choose, so that no test ever blocks on a dialog.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QWidget;
class TfmSelectFolder;

class ChooserService
{
public:
    virtual ~ChooserService() = default;

    // A file to open; no value when cancelled. filter is in Qt's form ("Programs (*)").
    virtual std::optional<QString> chooseOpenFile(const QString &caption, const QString &startPath,
                                                  const QString &filter) = 0;
    // A folder; no value when cancelled.
    virtual std::optional<QString> chooseFolder(const QString &caption,
                                                const QString &startDir) = 0;
    // A font; no value when cancelled.
    virtual std::optional<QFont> chooseFont(const QString &caption, const QFont &initial) = 0;
    // A colour; no value when cancelled.
    virtual std::optional<QColor> chooseColor(const QString &caption, const QColor &initial) = 0;
};

// The desktop's own dialogs, centred on the window parentWindow returns.
class DialogChooserService final : public ChooserService
{
public:
    explicit DialogChooserService(std::function<QWidget *()> parentWindow);
    ~DialogChooserService() override;

    std::optional<QString> chooseOpenFile(const QString &caption, const QString &startPath,
                                          const QString &filter) override;
    std::optional<QString> chooseFolder(const QString &caption, const QString &startDir) override;
    std::optional<QFont> chooseFont(const QString &caption, const QFont &initial) override;
    std::optional<QColor> chooseColor(const QString &caption, const QColor &initial) override;

private:
    std::function<QWidget *()> m_parentWindow;
    std::unique_ptr<TfmSelectFolder> m_selectFolder;
};

// For runs nobody watches: every chooser is cancelled.
class UnattendedChooserService final : public ChooserService
{
public:
    std::optional<QString> chooseOpenFile(const QString &, const QString &,
                                          const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QString> chooseFolder(const QString &, const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QFont> chooseFont(const QString &, const QFont &) override
    {
        return std::nullopt;
    }
    std::optional<QColor> chooseColor(const QString &, const QColor &) override
    {
        return std::nullopt;
    }
};

// The chooser service for tests: records each chooser's caption and answers from the queues;
// a chooser whose queue is empty is cancelled.
class ScriptedChooserService final : public ChooserService
{
public:
    std::optional<QString> chooseOpenFile(const QString &caption, const QString &startPath,
                                          const QString &filter) override;
    std::optional<QString> chooseFolder(const QString &caption, const QString &startDir) override;
    std::optional<QFont> chooseFont(const QString &caption, const QFont &initial) override;
    std::optional<QColor> chooseColor(const QString &caption, const QColor &initial) override;

    // The caption of every chooser shown, in order.
    QStringList captions;
    std::deque<std::optional<QString>> fileAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<std::optional<QFont>> fontAnswers;
    std::deque<std::optional<QColor>> colorAnswers;
};
