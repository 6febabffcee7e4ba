// Running the chooser dialog for TdeWaveFormat::Choose.
#include "QtFormatChooser.h"

#include "FormatChooserDialog.h"

#include "audio/codecs/Result.h"

codecs::Result QtFormatChooser::choose(codecs::FormatBlock &format, const QString &title)
{
    TdeWaveFormat start;
    start.Buffer() = format;
    FormatChooserDialog dialog(start, title, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return codecs::Result::Cancelled;
    const std::optional<TdeWaveFormat> chosen = dialog.selectedFormat();
    if (!chosen)
        return codecs::Result::Cancelled;
    format = chosen->Buffer();
    return codecs::Result::Ok;
}
