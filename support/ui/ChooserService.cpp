#include "ChooserService.h"

#include "TfmSelectFolder.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>

DialogChooserService::DialogChooserService(std::function<QWidget *()> parentWindow)
    : m_parentWindow(std::move(parentWindow))
{}

DialogChooserService::~DialogChooserService() = default;

std::optional<QString> DialogChooserService::chooseOpenFile(const QString &caption,
                                                            const QString &startPath,
                                                            const QString &filter)
{
    const QString file = QFileDialog::getOpenFileName(m_parentWindow(), caption, startPath, filter);
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

std::optional<QString> DialogChooserService::chooseFolder(const QString &caption,
                                                          const QString &startDir)
{
    // One chooser for the whole run: a close by other means returns what the last use did.
    if (!m_selectFolder)
        m_selectFolder = std::make_unique<TfmSelectFolder>();
    m_selectFolder->setWindowTitle(caption);
    const QString dir = m_selectFolder->Execute(startDir, m_parentWindow());
    if (dir.isEmpty())
        return std::nullopt;
    return dir;
}

std::optional<QFont> DialogChooserService::chooseFont(const QString &caption, const QFont &initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, m_parentWindow(), caption);
    if (!ok)
        return std::nullopt;
    return font;
}

std::optional<QColor> DialogChooserService::chooseColor(const QString &caption,
                                                        const QColor &initial)
{
    const QColor color = QColorDialog::getColor(initial, m_parentWindow(), caption);
    if (!color.isValid())
        return std::nullopt;
    return color;
}

namespace {

template <typename T> std::optional<T> nextAnswer(std::deque<std::optional<T>> &answers)
{
    if (answers.empty())
        return std::nullopt;
    auto answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

} // namespace

std::optional<QString> ScriptedChooserService::chooseOpenFile(const QString &caption,
                                                              const QString &, const QString &)
{
    captions.append(caption);
    return nextAnswer(fileAnswers);
}

std::optional<QString> ScriptedChooserService::chooseFolder(const QString &caption, const QString &)
{
    captions.append(caption);
    return nextAnswer(folderAnswers);
}

std::optional<QFont> ScriptedChooserService::chooseFont(const QString &caption, const QFont &)
{
    captions.append(caption);
    return nextAnswer(fontAnswers);
}

std::optional<QColor> ScriptedChooserService::chooseColor(const QString &caption, const QColor &)
{
    captions.append(caption);
    return nextAnswer(colorAnswers);
}
