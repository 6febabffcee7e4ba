// The "Modem initialization" window: the candidate modems, a gauge for the checks and an OK
// button that confirms the selected modem. It presents ModemDiscovery and forwards to it.
#pragma once

#include "modem/discovery/DiscoveryWindow.h"

#include <QDialog>

class ModemDiscovery;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class TProgressForm;

class TSpecModemForm final : public QDialog, public DiscoveryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSpecModemForm)

public:
    // progress shows the scan of a search. With unattended, showing the window confirms
    // its first entry at once, as if OK had been pressed, without waiting for anyone.
    TSpecModemForm(ModemDiscovery &discovery, TProgressForm &progress, bool unattended,
                   QWidget *parent = nullptr);

    void showModal() override;

    QListWidget *list() const { return m_list; }
    QProgressBar *gauge() const { return m_gauge; }
    QPushButton *okButton() const { return m_ok; }

public slots:
    // Closing is only done by the discovery itself (no close box, no Escape).
    void reject() override {}

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showList(const QStringList &lines);

    ModemDiscovery &m_discovery;
    bool m_unattended;
    bool m_closing = false;
    QListWidget *m_list;
    QProgressBar *m_gauge;
    QPushButton *m_ok;
};
