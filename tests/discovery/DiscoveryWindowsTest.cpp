// The discovery windows offscreen: "Modem initialization" driven by the user or unattended,
// the progress window, "Query Modem" and the no-modem notice.
#include "DiscoveryFixture.h"

#include "modem/discovery/ui/TProgressForm.h"
#include "modem/discovery/ui/TSpecModemForm.h"
#include "modem/discovery/ui/TfmNoModem.h"
#include "modem/discovery/ui/TfmQueryModem.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {
// Runs check on the modal window once it is up; closes any modal left open so that a
// failing test cannot hang.
void whenModal(const std::function<void(QWidget *)> &check)
{
    QTimer::singleShot(0, [check] {
        Waits::waitUntil([] { return QApplication::activeModalWidget() != nullptr; }, 5000);
        check(QApplication::activeModalWidget());
    });
    QTimer::singleShot(60000, [] {
        if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            modal->done(QDialog::Rejected);
    });
}
} // namespace

class DiscoveryWindowsTest : public DiscoveryFixture
{
protected:
    TProgressForm progress;
};

TEST_F(DiscoveryWindowsTest, UserConfirmsTheSelectedModem)
{
    VirtualModemProcess &modem = startModem("voice", 4);
    addInstalledLink("usb-Conexant_USB_Modem_1234-if00", modem.path());
    TSpecModemForm form(discovery(), progress, false);
    ASSERT_EQ(discovery().FindModems(), 1);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);

    bool checked = false;
    whenModal([&](QWidget *modal) {
        EXPECT_EQ(modal, &form);
        EXPECT_EQ(form.windowTitle(), "Modem initialization");
        ASSERT_EQ(form.list()->count(), 1);
        EXPECT_EQ(form.list()->item(0)->text(), "Conexant USB Modem");
        EXPECT_EQ(form.list()->currentRow(), 0);
        EXPECT_FALSE(form.gauge()->isVisible());
        form.reject(); // Escape does not close it
        EXPECT_TRUE(form.isVisible());
        checked = true;
        form.okButton()->click();
    });
    form.showModal();

    EXPECT_TRUE(checked);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(modemKey("port"), "4");
    EXPECT_EQ(modemKey("VoiceMode"), "at+fclass=8");
    EXPECT_TRUE(form.okButton()->isEnabled());
    EXPECT_FALSE(form.gauge()->isVisible());
    EXPECT_EQ(form.gauge()->value(), 100);
}

TEST_F(DiscoveryWindowsTest, UnattendedRunConfirmsTheFirstModem)
{
    VirtualModemProcess &modem = startModem("nocid", 4);
    addInstalledLink("usb-Conexant_USB_Modem_1234-if00", modem.path());
    addInstalledLink("usb-Zz_Other_Modem-if00", dir.filePath("no-such-tty9"));
    TSpecModemForm form(discovery(), progress, true);
    ASSERT_EQ(discovery().FindModems(), 2);

    form.showModal();

    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(modemKey("Model"), "Conexant USB Modem");
    EXPECT_EQ(modemKey("ForCallerId"), "none");
    EXPECT_EQ(paramsKey("Voicefeatures"), "1");
}

TEST_F(DiscoveryWindowsTest, NoCandidateShowsTheNoModemMessageOnly)
{
    TSpecModemForm form(discovery(), progress, false);
    addInstalledLink("usb-Only_Modem-if00", dir.filePath("none"));
    discovery().FindModems();
    QDir(byIdDir).removeRecursively();
    QDir(dir.path()).mkdir("by-id");
    // Everything mapped to missing devices: the scan finds nothing.
    ASSERT_EQ(discovery().FindModems(), 0);
    EXPECT_EQ(form.list()->count(), 0);

    form.showModal();

    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(messages.texts, QStringList{ModemDiscovery::NoModemMessage});
    EXPECT_EQ(paramsKey("Voicefeatures"), "0");
}

TEST_F(DiscoveryWindowsTest, ProgressWindowFollowsTheScanAndStartsAtZero)
{
    TSpecModemForm form(discovery(), progress, false);
    emit discovery().progressShown(ModemDiscovery::ProgressCaption);
    emit discovery().progressChanged(63);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.windowTitle(), "Finding modems... ");
    EXPECT_EQ(progress.progress(), 63);
    emit discovery().progressHidden();
    EXPECT_FALSE(progress.isVisible());
    progress.show();
    EXPECT_EQ(progress.progress(), 0);
}

TEST_F(DiscoveryWindowsTest, QueryWindowIsTheParsersText)
{
    TfmQueryModem window(query);
    EXPECT_EQ(window.windowTitle(), "Query Modem");
    query.setText("error");
    EXPECT_EQ(window.editor()->toPlainText(), "error");

    window.editor()->setPlainText("1,\"ULAW\",8,0,8000\n2,\"UNSIGNED PCM\",8,0,8000");
    EXPECT_EQ(query.lines().size(), 2);
    ASSERT_TRUE(parse().queryCompressionsInteractive());
    EXPECT_EQ(paramsKey("Compression"), "1");
    EXPECT_EQ(messages.texts.size(), 2);
}

TEST_F(DiscoveryWindowsTest, NoModemNoticeCanBeSilenced)
{
    TfmNoModem notice(ini);
    bool shown = false;
    whenModal([&](QWidget *modal) {
        shown = true;
        EXPECT_EQ(modal, &notice);
        EXPECT_EQ(notice.windowTitle(), "Notification");
        EXPECT_TRUE(notice.text()->isReadOnly());
        EXPECT_EQ(notice.text()->toPlainText(),
                  "There is no modem found in your system.\n\nThank you\n");
        EXPECT_EQ(notice.checkBox()->text(), "Don't show this message again");
        notice.checkBox()->setChecked(true);
        notice.okButton()->click();
    });
    notice.ShowNoModemNotice();
    EXPECT_TRUE(shown);
    EXPECT_EQ(paramsKey("NoModemMsg"), "1");

    // Silenced: nothing is shown at all.
    QTimer::singleShot(2000, [&] {
        if (QApplication::activeModalWidget())
            notice.okButton()->click();
    });
    QElapsedTimer clock;
    clock.start();
    notice.ShowNoModemNotice();
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_FALSE(notice.isVisible());
}
