// The format chooser: a "Format" list of the codecs' format tags and an "Attributes" list of
// the chosen tag's formats, with OK and Cancel.
#pragma once

#include "audio/TdeWaveFormat.h"

#include <QDialog>
#include <optional>

class QListWidget;
class QPushButton;

class FormatChooserDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FormatChooserDialog)

public:
    // Opens on start's tag and format when a codec offers them.
    FormatChooserDialog(const TdeWaveFormat &start, const QString &title,
                        QWidget *parent = nullptr);

    QListWidget *FormatList() const { return m_formats; }
    QListWidget *AttributesList() const { return m_attributes; }
    QPushButton *OkButton() const { return m_ok; }
    // The format of the selected attributes row.
    std::optional<TdeWaveFormat> selectedFormat() const;

private:
    void showTag(int row);
    void selectFormat(const TdeWaveFormat &format);

    QListWidget *m_formats;
    QListWidget *m_attributes;
    QPushButton *m_ok;
    TdeWaveFormat m_start;
};
