// The format chooser offscreen: its lists, its starting selection, and Choose's outcomes.
#include "audio/EACMError.h"
#include "audio/StandardFormats.h"
#include "audio/codecs/CodecLayer.h"
#include "audio/ui/FormatChooserDialog.h"
#include "audio/ui/QtFormatChooser.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QStringList texts(const QListWidget *list)
{
    QStringList t;
    for (int i = 0; i < list->count(); ++i)
        t << list->item(i)->text();
    return t;
}

TdeWaveFormat built(quint16 tag, quint32 rate, quint16 channels, quint16 bits = 0)
{
    TdeWaveFormat f;
    f.Buffer().fill(0);
    codecs::buildFormat(tag, rate, channels, bits, f.Buffer());
    return f;
}

TEST(FormatChooserTest, ListsTagsAndTheirFormatsStartingFromTheGivenOne)
{
    FormatChooserDialog dialog(ImaAdpcmDefaultFormat(), "Choose file compression format");
    EXPECT_EQ(dialog.windowTitle(), "Choose file compression format");
    EXPECT_EQ(texts(dialog.FormatList()), QStringList({"PCM", "IMA ADPCM", "Microsoft ADPCM",
                                                       "CCITT A-Law", "CCITT u-Law", "GSM 6.10"}));
    EXPECT_EQ(dialog.FormatList()->currentItem()->text(), "IMA ADPCM");
    EXPECT_EQ(dialog.AttributesList()->count(), 8);
    EXPECT_EQ(dialog.AttributesList()->currentItem()->text(),
              "8.000 kHz, 4 Bit, Mono, 4055 bytes/s");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());

    dialog.FormatList()->setCurrentRow(5);
    EXPECT_EQ(texts(dialog.AttributesList()),
              QStringList({"8.000 kHz, Mono, 1625 bytes/s", "11.025 kHz, Mono, 2239 bytes/s",
                           "22.050 kHz, Mono, 4478 bytes/s", "44.100 kHz, Mono, 8957 bytes/s"}));
    dialog.AttributesList()->setCurrentRow(2);
    ASSERT_TRUE(dialog.selectedFormat());
    EXPECT_TRUE(dialog.selectedFormat()->IsEqual(built(codecs::Tag::Gsm610, 22050, 1)));
}

TEST(FormatChooserTest, UnlistedStartingFormatIsOfferedFirst)
{
    const TdeWaveFormat pcm16k = built(codecs::Tag::Pcm, 16000, 1, 16);
    FormatChooserDialog dialog(pcm16k, "Choose");
    EXPECT_EQ(dialog.AttributesList()->count(), 17);
    EXPECT_EQ(dialog.AttributesList()->item(0)->text(), "16.000 kHz, 16 Bit, Mono");
    EXPECT_TRUE(dialog.selectedFormat()->IsEqual(pcm16k));
}

// Answers the next modal dialog: picks the attributes row, or cancels when row < 0.
void answerDialog(int tagRow, int row)
{
    QTimer::singleShot(0, [=] {
        auto *dialog = qobject_cast<FormatChooserDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (row < 0) {
            dialog->reject();
            return;
        }
        dialog->FormatList()->setCurrentRow(tagRow);
        dialog->AttributesList()->setCurrentRow(row);
        dialog->OkButton()->click();
    });
}

TEST(FormatChooserTest, ChooseKeepsTheRecordOnCancelAndTakesAChoice)
{
    TdeWaveFormat record = ImaAdpcmDefaultFormat();
    try {
        record.Choose(nullptr, "Choose file compression format");
        ADD_FAILURE() << "no chooser, no error";
    } catch (const EACMConversionError &e) {
        EXPECT_EQ(e.message(), "Error selecting format.\r\nFunction not supported.");
    }

    QtFormatChooser chooser;
    answerDialog(0, -1);
    EXPECT_FALSE(record.Choose(&chooser, "Choose file compression format"));
    EXPECT_TRUE(record.IsEqual(ImaAdpcmDefaultFormat()));

    answerDialog(4, 1); // mu-law, 8 kHz stereo
    EXPECT_TRUE(record.Choose(&chooser, "Choose file compression format"));
    EXPECT_TRUE(record.IsEqual(built(codecs::Tag::MuLaw, 8000, 2)));
}

} // namespace
